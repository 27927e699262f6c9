#!/usr/bin/env bash
# The run command as a person without a display meets it: the walk-through leaves a
# screenshot of every screen, none of them blank, and method 1 leaves the stock file; and
# pointed at a Windows folder by path (rescue from Linux), it repairs that folder's hosts
# file and keeps a copy of the old one.
set -uo pipefail
cd "$(dirname "$0")/.."
# The stock file the program writes (769 bytes, Windows-1251, CR LF).
stock_sha=86ab20e8a8167fbb13f9fe5456fa9bd7d72315bb342c184d2f38b64aaef102d1
passed=0 failed=0
check() {  # description, then a command that must succeed
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "PASS  $what"; else failed=$((failed + 1)); echo "FAIL  $what"; fi
}
is_stock() { [ "$(sha256sum < "$1" | cut -d' ' -f1)" = "$stock_sha" ]; }
not_blank() {  # an image with more than one colour in it
  [ -s "$1" ] && [ "$(convert "$1" -format '%k' info:)" -gt 1 ]
}

env -u DISPLAY bash scripts/run.sh > build/run-walk.log 2>&1
check "walk-through runs" grep -q 'hosts after' build/run-walk.log
for screen in warning-modified main-window about method3-question method1-first method1-second; do
  check "screenshot $screen" not_blank "build/run/screens/$screen.png"
done
check "walk-through leaves the stock file" is_stock build/run/WINDOWS/System32/drivers/etc/hosts

rescue=$(mktemp -d)/Windows
mkdir -p "$rescue/System32/drivers/etc"
printf '127.0.0.1 localhost\r\n127.0.0.1 vk.com\r\n' > "$rescue/System32/drivers/etc/hosts"
env -u DISPLAY bash scripts/run.sh --windows-dir "$rescue" > build/run-rescue.log 2>&1
check "rescue repairs the given folder's hosts file" is_stock "$rescue/System32/drivers/etc/hosts"
check "rescue keeps the old file as a copy" \
  grep -qx $'127.0.0.1 vk.com\r' "$rescue"/System32/drivers/etc/hosts.*.bak
rm -rf "$(dirname "$rescue")"
echo "Run command: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
