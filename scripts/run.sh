#!/usr/bin/env bash
# Runs the program under Wine on a sandbox Windows folder whose hosts file is a typical
# infected one (never on the real hosts file of the Wine prefix). With a display, the
# program opens there; without one, it is walked through on a virtual display, answering
# as a user choosing method 1 would, with a screenshot of every screen.
#
#   bash scripts/run.sh [--windows-dir DIR]
#
# --windows-dir DIR: work on DIR\System32\drivers\etc\hosts instead of the sandbox, for
# example the Windows folder of a mounted Windows disk, to repair it from Linux.
set -euo pipefail
cd "$(dirname "$0")/.."

windows_dir=
if [ "${1:-}" = "--windows-dir" ]; then
  windows_dir=$(realpath "${2:?--windows-dir needs a folder}")
  [ -d "$windows_dir" ] || { echo "no such folder: $windows_dir" >&2; exit 2; }
elif [ $# -gt 0 ]; then
  sed -n '2,10s/^# \{0,1\}//p' "$0"; exit 2
fi

bash scripts/setup.sh
source scripts/wine-env.sh
trap wine_env_down EXIT
wine_build hostovik hostovik-e2e

if [ -z "$windows_dir" ]; then
  windows_dir=$PWD/build/run/WINDOWS
  mkdir -p "$windows_dir/System32/drivers/etc"
  # The stock file of a Russian Windows with a few entries malware typically adds.
  { printf '%s\r\n' '# (C) Корпорация Майкрософт (Microsoft Corp.), 1993-1999' '#' \
      '127.0.0.1       localhost' \
      '127.0.0.1 vk.com' '127.0.0.1 www.vk.com' '127.0.0.1 odnoklassniki.ru' \
      '127.0.0.1 www.kaspersky.ru' '127.0.0.1 update.drweb.com' '91.213.8.94 yandex.ru'
  } | iconv -f UTF-8 -t CP1251 > "$windows_dir/System32/drivers/etc/hosts"
fi
hosts=$windows_dir/System32/drivers/etc/hosts
[ -e "$hosts" ] || hosts=$(find "$windows_dir" -maxdepth 4 -ipath '*/system32/drivers/etc/hosts' | head -1)

show_hosts() {
  echo "---- $1: ${hosts:-$windows_dir/System32/drivers/etc/hosts}"
  if [ -n "$hosts" ] && [ -f "$hosts" ]; then iconv -f CP1251 -t UTF-8 "$hosts" | tr -d '\r'; else echo "(no file)"; fi
  echo "----"
}
show_hosts "hosts before"

driver=("$WINE" "$WIN_BUILD/tests/e2e/hostovik-e2e.exe" --exe "$(wine_unix_to_win "$WIN_BUILD/hostovik.exe")")
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  wine_prefix_up >/dev/null
  echo "the program is open on $DISPLAY; it ends with its window"
  "${driver[@]}" --launch "$(wine_unix_to_win "$windows_dir")" || true
else
  screens=$PWD/build/run/screens
  rm -rf "$screens" && mkdir -p "$screens"
  wine_display_up && wine_prefix_up >/dev/null
  echo "no display: walking through the program on a virtual display"
  E2E_SCREENS=$(wine_unix_to_win "$screens") "${driver[@]}" --walk "$(wine_unix_to_win "$windows_dir")"
  wine_bmp_to_png "$screens"
  echo "screenshots of every screen: $screens"
  ls "$screens"
fi
show_hosts "hosts after"
ls "$(dirname "${hosts:-$windows_dir/System32/drivers/etc/hosts}")" | grep -E '\.bak$' | sed 's/^/copy of the old file: /' || true
