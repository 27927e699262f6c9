#!/usr/bin/env bash
# End-to-end tests of the real program under Wine on a virtual display: builds the program,
# the test driver (tests/e2e/) and its stand-ins, makes a fresh Wine prefix, runs every case,
# saves the screenshots in build/screens/ and ends with "E2E: N passed, M failed".
# The read-only cases need a user whom the file system can refuse (Wine run as root writes
# anything): run as root, they run as the user nobody in a prefix of its own.
# Wine plays the version of Windows given by --windows (winxp, win7, win10...; win10 when not given).
# --only TEXT: only the cases whose name contains TEXT; given more than once, those of any TEXT.
# --skip TEXT: not the cases whose name contains TEXT (more than once: none of them).
# A whole run's output is kept in build/e2e-VERSION.log; --log FILE keeps a run of some cases too.
# Screenshots go to build/screens/ (Windows 10) or build/screens-VERSION/, or to --screens DIR.
# Assumes scripts/setup.sh has installed the packages.
# Usage: bash scripts/e2e.sh [--windows VERSION] [--only TEXT]... [--skip TEXT]... [--log FILE] [--screens DIR]
set -uo pipefail
cd "$(dirname "$0")/.."
only=() select=() windows=win10 keep_log= screens=
while [ $# -gt 0 ]; do
  case $1 in
    --only) only+=(--only "$2"); select+=(--only "$2"); shift ;;
    --skip) select+=(--skip "$2"); shift ;;
    --windows) windows=$2; shift ;;
    --log) keep_log=$2; shift ;;
    --screens) screens=$2; shift ;;
    *) sed -n '2,14s/^# \{0,1\}//p' "$0"; exit 2 ;;
  esac
  shift
done

# A whole run's output is kept for a look afterwards (CTest shows it only on failure).
[ ${#only[@]} -gt 0 ] || keep_log=build/e2e-$windows.log
if [ -n "$keep_log" ]; then
  mkdir -p "$(dirname "$keep_log")"
  exec > >(tee "$keep_log") 2>&1
fi
# The driver's runs that have a case to run: its main one, and each group's (tests/e2e/driver.cpp).
has_cases() { python3 scripts/e2e-cases.py --group "$1" "${select[@]}" >/dev/null; }
if ! python3 scripts/e2e-cases.py "${select[@]}" >/dev/null; then
  echo "E2E: 0 passed, 0 failed: no case is ${select[*]}"
  exit 1
fi
# The driver takes --only alone: what --skip leaves, it is given by name.
if [[ " ${select[*]} " == *" --skip "* ]]; then
  only=()
  while IFS= read -r name; do only+=(--only "$name"); done < <(python3 scripts/e2e-cases.py "${select[@]}" | cut -f2)
fi
source scripts/common.sh
source scripts/wine-env.sh
trap wine_env_down EXIT
start=$SECONDS

echo "building the program, the test driver and its stand-ins (typically 10 s, 1-2 min the first time)..."
wine_build hostovik hostovik-cli hostovik-e2e recorder || { echo "E2E: 0 passed, 1 failed (build)"; exit 1; }
echo "making a Wine prefix (a copy of a booted one: typically 1-2 s; the first run boots it: 15 s, 45 s under emulation)..."
wine_display_up && wine_prefix_up || { echo "E2E: 0 passed, 1 failed (Wine setup)"; exit 1; }
# The unprivileged user's run only when one of its cases is asked for; its prefix is made meanwhile.
test_user=
if [ "$(id -u)" -eq 0 ] && has_cases unprivileged; then
  test_user=nobody
  wine_prefix_up "$WINE_RUN_DIR/prefix-$test_user" "$test_user" >"$WINE_RUN_DIR/prefix-$test_user.log" 2>&1 &
  user_prefix_job=$!
fi

# The driver and its stand-ins, where the unprivileged user can read them.
[ -n "$screens" ] || { [ "$windows" = win10 ] && screens=build/screens; } || screens=build/screens-$windows
bin=$WINE_RUN_DIR/e2e
mkdir -p "$bin" "$WINE_RUN_DIR/sandbox" "$screens"
cp "$WIN_BUILD/hostovik.exe" "$WIN_BUILD/hostovik-cli.exe" "$WIN_BUILD/tests/e2e/hostovik-e2e.exe" \
   "$WIN_BUILD/tests/e2e/recorder.exe" "$bin/"
cp "$bin/recorder.exe" "$bin/route.exe"  # beside the program: a planted route.exe that must never run
rm -f "$screens"/*.bmp "$screens"/*.png
log=$WINE_RUN_DIR/e2e.log
: >"$log"

# run_driver LABEL [COMMAND PREFIX...] -- [DRIVER ARGS...]: one run of the driver; a run that
# dies before its summary counts as a failure.
run_driver() {
  local label=$1 prefix=()
  shift
  while [ "$1" != "--" ]; do prefix+=("$1"); shift; done
  shift
  local out=$WINE_RUN_DIR/$label.out
  "${prefix[@]}" "$WINE" "$bin/hostovik-e2e.exe" --exe "$(wine_unix_to_win "$bin/hostovik.exe")" "$@" 2>&1 | tee "$out"
  grep -q '^driver: ' "$out" || echo "FAIL  $label: the driver ended early" | tee -a "$out"
  cat "$out" >>"$log"
}

# wine_session_up [COMMAND PREFIX...]: one Wine session for all the runs of a prefix, started
# without the overrides below so that the session's own start-up finds Wine's real restart
# helper, by the command that makes this Wine play the version of Windows asked for (each
# program started after it reads it).
wine_session_up() {
  "$@" "$WINESERVER" -p &&
    "$@" "$WINE" reg add 'HKCU\Software\Wine' /v Version /d "$windows" /f >/dev/null 2>&1
}
echo "running the cases, Wine playing Windows $windows (all of them: typically 2-3 min, 4-6 under emulation)..."
wine_session_up || { echo "E2E: 0 passed, 1 failed (Windows version $windows)"; exit 1; }
# The driver and the program get wineboot.exe=n: a restart request then reaches the recording
# stand-in the driver puts in its place, instead of ending the session.
session=(env WINEDLLOVERRIDES="$WINE_BASE_OVERRIDES;wineboot.exe=n;ipconfig.exe=n"
         E2E_SANDBOX="$(wine_unix_to_win "$WINE_RUN_DIR/sandbox")"
         E2E_RECORD="$(wine_unix_to_win "$WINE_RUN_DIR/record.txt")")
if has_cases ""; then
  run_driver cases "${session[@]}" E2E_SCREENS="$(wine_unix_to_win "$screens")" -- "${only[@]}"
fi
# Wine's proxies of the shell's interfaces switched off: the program finds no desktop shell to ask.
if has_cases no-desktop-shell; then
  no_shell=("${session[@]}")
  no_shell[1]+=";actxprxy=d"
  run_driver no-desktop-shell "${no_shell[@]}" -- --group no-desktop-shell "${only[@]}"
fi
# Wine keeps no event log: its calls are traced to the standard error of the Wine processes, for
# this run of the driver in a file of its own, which the driver reads.
if has_cases eventlog; then
  trace=$WINE_RUN_DIR/eventlog.trace
  traced() { "$@" 2>"$trace"; }
  run_driver eventlog traced "${session[@]}" E2E_TRACE="$(wine_unix_to_win "$trace")" -- --group eventlog "${only[@]}"
fi
if [ "$(id -u)" -ne 0 ] && has_cases unprivileged; then
  run_driver unprivileged "${session[@]}" -- --group unprivileged "${only[@]}"
fi
"$WINESERVER" -k

if [ -n "$test_user" ]; then
  as_user=(setpriv --reuid="$test_user" --regid="$(id -g "$test_user")" --clear-groups
           env HOME="$WINE_RUN_DIR/home-$test_user" WINEPREFIX="$WINE_RUN_DIR/prefix-$test_user")
  if wait "$user_prefix_job" && wine_session_up "${as_user[@]}"; then
    user_dir=$WINE_RUN_DIR/sandbox-$test_user
    install -d -o "$test_user" "$user_dir"
    run_driver "as-$test_user" "${as_user[@]}" WINEDLLOVERRIDES="$WINE_BASE_OVERRIDES;ipconfig.exe=n" \
      E2E_SANDBOX="$(wine_unix_to_win "$user_dir")" E2E_RECORD="$(wine_unix_to_win "$user_dir/record.txt")" \
      -- --group unprivileged "${only[@]}"
    "${as_user[@]}" "$WINESERVER" -k
  else
    echo "FAIL  prefix for $test_user: $(tail -1 "$WINE_RUN_DIR/prefix-$test_user.log")" | tee -a "$log"
  fi
fi

wine_bmp_to_png "$screens"
echo "end-to-end run took $((SECONDS - start)) s ($WIN_ARCH build${WINE_EMULATED:+, emulated}, Wine playing $windows);" \
     "screenshots in $screens/"
checks_count_log "$log"
checks_summary E2E
