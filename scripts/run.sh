#!/usr/bin/env bash
# Runs the program under Wine.
#
#   bash scripts/run.sh                                        the program on a sandbox Windows folder
#   bash scripts/run.sh --windows-dir DIR                      the program's window on DIR (needs a display)
#   bash scripts/run.sh --windows-dir DIR --check | --repair   its /check or /repair on DIR, no window
#
# The sandbox (build/run/WINDOWS) holds a typical infected hosts file, never a real one. With a
# display the program opens there. Without one, the window cannot be used: every screen the
# program can show is walked through instead, by its end-to-end cases on sandboxes of their
# own on a virtual display, and kept as pictures.
# DIR is the Windows folder of a mounted disk, to check or repair it from Linux. There the
# script never answers the program for you: without a display it needs --check or --repair,
# and says what it will run before it runs it.
set -uo pipefail
cd "$(dirname "$0")/.."

windows_dir= action=
while [ $# -gt 0 ]; do
  case $1 in
    --windows-dir) windows_dir=$(realpath "${2:?--windows-dir needs a folder}"); shift ;;
    --check | --repair) action=${1#--} ;;
    *) sed -n '2,14s/^# \{0,1\}//p' "$0"; exit 2 ;;
  esac
  shift
done
display=0
[ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 && display=1
if [ -n "$windows_dir" ]; then
  [ -d "$windows_dir" ] || { echo "no such folder: $windows_dir" >&2; exit 2; }
  if [ -z "$action" ] && [ $display -eq 0 ]; then
    echo "no display: the program's window cannot be shown here, and this script never answers it for you." >&2
    echo "Nothing was changed. To check or repair $windows_dir without a window, add --check or --repair." >&2
    exit 2
  fi
elif [ -n "$action" ]; then
  echo "--$action goes with --windows-dir" >&2; exit 2
fi

bash scripts/setup.sh || exit 1
source scripts/common.sh
source scripts/wine-env.sh
trap wine_env_down EXIT
step "building the program" "10 s, 1-2 min the first time" wine_build hostovik hostovik-cli

# Runs EXE (hostovik.exe, the window, or hostovik-cli.exe, the command line) with ARGS on the
# prefix; returns its exit code.
program() {
  step "making a Wine prefix" "20 s, 1 min under emulation" wine_prefix_up
  local exe=$1; shift
  "$WINE" "$WIN_BUILD/$exe" "$@"
  local rc=$?
  echo "the program ended with exit code $rc"
  return $rc
}

if [ -z "$windows_dir" ] && [ $display -eq 0 ]; then
  echo "no display: walking through every screen the program can show, by its end-to-end cases on a"
  echo "virtual display (typically 2 min, 10 min under emulation); the pictures go to build/run/screens"
  bash scripts/e2e.sh ${HOSTOVIK_WALK_ONLY:+--only "$HOSTOVIK_WALK_ONLY"} --screens build/run/screens >build/run-walk.log 2>&1
  rc=$?
  ls build/run/screens
  [ $rc -eq 0 ] || { tail -20 build/run-walk.log; echo "the walk-through failed (exit code $rc); its log: build/run-walk.log"; }
  exit $rc
fi

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
etc=$(find "$windows_dir" -maxdepth 3 -ipath '*/system32/drivers/etc' | head -1)
etc=${etc:-$windows_dir/System32/drivers/etc}
show_hosts() {
  echo "---- $1: $etc/hosts"
  if [ -f "$etc/hosts" ]; then iconv -f CP1251 -t UTF-8 "$etc/hosts" | tr -d '\r'; else echo "(no file)"; fi
  echo "----"
}
show_hosts "hosts before"
started=$(date +%s)
windir=$(wine_unix_to_win "$windows_dir")
if [ -n "$action" ]; then
  echo "running: hostovik-cli.exe /$action /windir:$windir /utf8 (no window; /repair keeps a copy of the old file beside it)"
  program hostovik-cli.exe "/$action" "/windir:$windir" /utf8  # UTF-8 for this terminal, not a Windows console's code page
  rc=$?
else
  echo "running the program on $DISPLAY with /windir:$windir; it ends with its window"
  program hostovik.exe "/windir:$windir"
  rc=$?
fi
show_hosts "hosts after"
# Only the copy this run made, not those of earlier runs.
find "$etc" -maxdepth 1 -name 'hosts.*.bak' -newermt "@$started" -printf 'the copy of the old file: %p\n'
exit $rc
