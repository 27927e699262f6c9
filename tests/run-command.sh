#!/usr/bin/env bash
# The run command as a person without a display meets it: the walk-through leaves pictures of
# the screens; pointed at a Windows folder by path (rescue from Linux) it refuses to act
# without --check or --repair and changes nothing, checks with --check, and repairs with
# --repair, keeping a copy of the old file and naming only that one.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
# The stock file the program writes (769 bytes, Windows-1251, CR LF).
stock_sha=86ab20e8a8167fbb13f9fe5456fa9bd7d72315bb342c184d2f38b64aaef102d1
is_stock() { [ "$(sha256sum < "$1" | cut -d' ' -f1)" = "$stock_sha" ]; }
not_blank() { [ -s "$1" ] && [ "$(convert "$1" -format '%k' info:)" -gt 1 ]; }  # more than one colour
run() { env -u DISPLAY bash scripts/run.sh "$@" > build/run-command.log 2>&1; echo $? > build/run-command.rc; }
said() { grep -q "$1" build/run-command.log; }
exited() { [ "$(cat build/run-command.rc)" = "$1" ]; }

mkdir -p build
HOSTOVIK_WALK_ONLY="stock file, Yes" run
check "walk-through without a display: pictures of the screens" not_blank build/run/screens/message-unmodified.png

rescue=$(mktemp -d)/Windows
etc=$rescue/System32/drivers/etc
mkdir -p "$etc"
printf '127.0.0.1 localhost\r\n127.0.0.1 vk.com\r\n' > "$etc/hosts"
touch -d '2 days ago' "$etc/hosts.20200101-000000.bak"  # an earlier run's copy
refused() { exited 2 && said "add --check or --repair"; }
unchanged() { grep -q vk.com "$etc/hosts" && [ "$(ls "$etc" | wc -l)" = 2 ]; }
modified() { exited 1 && said "файл hosts изменён"; }
repaired() { said "running: hostovik-cli.exe /repair" && exited 0; }
only_this_copy() {
  grep -qx $'127.0.0.1 vk.com\r' "$etc"/hosts.2???????-??????.bak &&
    [ "$(grep -c 'the copy of the old file' build/run-command.log)" = 1 ] && ! said 20200101
}
run --windows-dir "$rescue"
check "rescue without --check or --repair: refused, with a word why" refused
check "rescue refused: nothing changed" unchanged
run --windows-dir "$rescue" --check
check "rescue --check: the file is modified, exit code 1" modified
run --windows-dir "$rescue" --repair
check "rescue --repair: says what it runs, then repairs" repaired
check "rescue --repair: the stock file" is_stock "$etc/hosts"
check "rescue --repair: the old file kept, and only this run's copy named" only_this_copy
rm -rf "$(dirname "$rescue")"
checks_summary "Run command"
