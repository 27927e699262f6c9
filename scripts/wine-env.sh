# Sourced by the scripts that run the Windows build under Wine. Picks the Wine, in this order:
#   1. native 32-bit Wine with the i686 build (build/win32), as shipped, when it starts here;
#   2. the same 32-bit Wine under qemu-i386 user-mode emulation (set up by scripts/wine32-emu.sh
#      in build/wine32-emu), for a kernel that cannot run 32-bit Linux programs: still the i686
#      build, only slower;
#   3. else wine64 with the x86_64 build (build/win64): same sources, not the shipped binary.
# HOSTOVIK_WINE=native32, emu32 or win64 forces one of them (win64: to compare with the others).
# HOSTOVIK_WINEDEBUG sets Wine's WINEDEBUG (for example +tooltips) for a look at what Wine does;
# otherwise Wine is quiet.
# Sets:
#   WINE        the loader;  WINESERVER  its server;  WINE_EMULATED  1 under emulation, else empty
#   WIN_ARCH    win32 or win64;  WIN_BUILD  the matching build folder (build/win32 or build/win64)
#   WINEPREFIX  a fresh prefix for this run (made by wine_prefix_up), DISPLAY (by wine_display_up)
#   E2E_SLOWDOWN  how many times slower than native Wine this Wine starts a program (1 or more),
#               measured by wine_prefix_up unless set already (or measured in the last 30 minutes);
#               the end-to-end driver stretches its waits by it
# and the functions wine_build, wine_prefix_up, wine_display_up, wine_run, wine_unix_to_win,
# wine_bmp_to_png, wine_env_down.
# Call wine_env_down on exit (the scripts set a trap). WINE_KEEP_RUN_DIR=1 keeps the run's
# folder (prefix, sandboxes, logs) for a look afterwards.
# Booting a prefix costs 10-15 s with native Wine and 35-55 s under emulation, so the first run
# keeps a booted one (for each Wine and user) in build/wine-prefixes/, and every run after it gets
# a copy of that: a new prefix all the same, in a second or two.

unset WINEPREFIX  # never a prefix of the user's own
WINE_ENV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
WINE_EMULATED=

wine_use_win32() {
  WINE=$1 WIN_ARCH=win32 WIN_BUILD=$WINE_ENV_ROOT/build/win32 WIN_PRESET=mingw-i686
}
wine_use_win64() {
  WINE=/usr/lib/wine/wine64 WIN_ARCH=win64 WIN_BUILD=$WINE_ENV_ROOT/build/win64 WIN_PRESET=mingw-x86_64
}
# wine_use_emulated: sets up (or checks) the emulated 32-bit Wine and takes it.
wine_use_emulated() {
  local dir=${HOSTOVIK_WINE32_EMU_DIR:-$WINE_ENV_ROOT/build/wine32-emu}
  HOSTOVIK_WINE32_EMU_DIR=$dir bash "$WINE_ENV_ROOT/scripts/wine32-emu.sh" || return 1
  wine_use_win32 "$dir/usr/lib/wine/wine"
  WINE_EMULATED=1
}

case ${HOSTOVIK_WINE:-} in
  native32)
    wine_use_win32 /usr/lib/wine/wine
    echo "wine-env: testing the i686 build (build/win32) under native 32-bit Wine (HOSTOVIK_WINE=native32)" ;;
  emu32)
    wine_use_emulated || { echo "wine-env: HOSTOVIK_WINE=emu32, but the emulated 32-bit Wine could not be set up" >&2; exit 1; }
    echo "wine-env: testing the i686 build (build/win32) under 32-bit Wine emulated by qemu-i386 (HOSTOVIK_WINE=emu32)" ;;
  win64)
    wine_use_win64
    echo "wine-env: testing the x86_64 build (build/win64) under wine64 (HOSTOVIK_WINE=win64), not the shipped i686 binary" ;;
  '')
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then
      wine_use_win32 /usr/lib/wine/wine
      echo "wine-env: testing the i686 build (build/win32) under native 32-bit Wine (it starts on this kernel), as shipped"
    elif wine_use_emulated; then
      echo "wine-env: testing the i686 build (build/win32) under 32-bit Wine emulated by qemu-i386:" \
           "this kernel cannot run 32-bit Linux programs; slower, but the shipped binary"
    else
      wine_use_win64
      { echo "wine-env: WARNING: neither native nor emulated 32-bit Wine starts here (see above);"
        echo "wine-env: WARNING: falling back to the x86_64 build (build/win64) under wine64: the sources"
        echo "wine-env: WARNING: are the same, but this is NOT the shipped i686 binary"; } >&2
    fi ;;
  *) echo "wine-env: HOSTOVIK_WINE must be native32, emu32 or win64, not '$HOSTOVIK_WINE'" >&2; exit 2 ;;
esac

WINESERVER=$(dirname "$WINE")/wineserver
export WINESERVER WINEDEBUG=${HOSTOVIK_WINEDEBUG:--all} LC_ALL=ru_RU.UTF-8 WINEARCH=$WIN_ARCH
# No Mono or Gecko installers, no menu entries, and no debugger: a program that crashes ends
# at once instead of waiting in winedbg.
WINE_BASE_OVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
export WINEDLLOVERRIDES=$WINE_BASE_OVERRIDES

WINE_RUN_DIR=${WINE_RUN_DIR:-$(mktemp -d /tmp/hostovik-wine.XXXXXX)}
chmod 755 "$WINE_RUN_DIR"
WINE_XVFB_PID=

# wine_build TARGET...: builds TARGETs of the Windows build that this Wine runs. One build of a
# folder at a time: suites run side by side then share one, and the later ones find it done.
# Quiet, but a failure shows the build's output and exit code.
wine_build() {
  local log=$WINE_RUN_DIR/build.log rc=0
  mkdir -p "$WIN_BUILD"
  (cd "$WINE_ENV_ROOT" && flock 9 && cmake --preset "$WIN_PRESET" -DHOSTOVIK_E2E=ON && cmake --build "$WIN_BUILD" --target "$@") \
    9>"$WIN_BUILD.lock" >"$log" 2>&1 || rc=$?
  [ $rc -eq 0 ] || { cat "$log" >&2; echo "wine-env: building $* failed (exit code $rc)" >&2; }
  return $rc
}

# wine_bmp_to_png FOLDER: the driver saves screenshots as BMP; they are kept as PNG.
wine_bmp_to_png() {
  local bmp
  for bmp in "$1"/*.bmp; do
    # No time stamps in the PNG: the same screen gives the same file.
    [ -e "$bmp" ] && convert "$bmp" -strip -define png:exclude-chunks=date,time "${bmp%.bmp}.png" && rm -f "$bmp"
  done
  return 0
}

# Where the booted prefixes are kept, and what tells them apart: the Wine (its loader, and the
# server's build), the kind, the user, and this layout (raise it when wine_prefix_boot changes).
WINE_PREFIXES=${HOSTOVIK_WINE_PREFIXES:-$WINE_ENV_ROOT/build/wine-prefixes}
WINE_PREFIX_LAYOUT=1
wine_prefix_key() {  # USER
  local server
  server=$(stat -L -c '%s-%Y' "$WINESERVER" 2>/dev/null || echo none)
  echo "$WIN_ARCH${WINE_EMULATED:+-emulated}-$(printf '%s' "$WINE" | cksum | cut -d' ' -f1)-$server-$WINE_PREFIX_LAYOUT-$1"
}

# wine_prefix_boot PREFIX [COMMAND PREFIX...]: boots a new prefix in PREFIX, ready for hidden windows.
wine_prefix_boot() {
  local prefix=$1 log rc=0
  shift
  log=$WINE_RUN_DIR/wineboot-$(basename "$prefix").log
  "$@" env WINEPREFIX="$prefix" WINEDLLOVERRIDES="$WINE_BASE_OVERRIDES" "$WINE" wineboot -i >"$log" 2>&1 || rc=$?
  if [ $rc -ne 0 ]; then
    cat "$log" >&2
    echo "wine-env: making the prefix $prefix failed (wineboot exit code $rc)" >&2
    return 1
  fi
  # wineboot returns before the services it started are done; under emulation the next Wine
  # command was seen to start a second boot beside them, and both to hang for good.
  "$@" env WINEPREFIX="$prefix" "$WINESERVER" -w
  # Wine's own fonts (Marlett draws the close boxes and the scroll bars' arrows, Tahoma the
  # dialogs) where its programs find them: this Wine does not look in their package's folder.
  cp /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/" || return 1
  # Without a window manager every hidden window costs seconds unless Wine leaves windows unmanaged.
  "$@" env WINEPREFIX="$prefix" "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  # Its server gone, the registry is on disk: the prefix can be copied.
  "$@" env WINEPREFIX="$prefix" "$WINESERVER" -w
}

# wine_prefix_up [PREFIX] [USER]: a new prefix (as USER when given), ready for hidden windows: a
# copy of the kept one, which the first call boots (one at a time: a second waits for it).
wine_prefix_up() {
  local prefix=${1:-$WINE_RUN_DIR/prefix} user=${2:-} as=() started=$SECONDS how=copied
  if [ -n "$user" ]; then
    install -d -o "$user" "$prefix" "$WINE_RUN_DIR/home-$user"
    as=(setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups env HOME="$WINE_RUN_DIR/home-$user")
  else
    mkdir -p "$prefix" || return 1
  fi
  local kept
  kept=$WINE_PREFIXES/$(wine_prefix_key "${user:-$(id -un)}")
  mkdir -p "$WINE_PREFIXES" || return 1
  {
    flock 8 || return 1
    if [ ! -f "$kept/.booted" ]; then
      how=booted
      # Booted where the run's user can write (the kept copies' folder may be closed to it), then kept.
      wine_prefix_boot "$prefix" "${as[@]}" || return 1
      rm -rf "$kept" "$kept.new" && cp -a "$prefix" "$kept.new" && touch "$kept.new/.booted" && mv "$kept.new" "$kept" ||
        { echo "wine-env: could not keep the booted prefix in $kept" >&2; return 1; }
    else
      cp -a "$kept/." "$prefix/" || return 1
    fi
  } 8>"$kept.lock"
  rm -f "$prefix/.booted"
  [ -z "$user" ] && export WINEPREFIX=$prefix
  echo "wine-env: prefix ${user:+for $user }ready in $((SECONDS - started)) s, $how ($prefix)"
  [ -n "$user" ] || wine_measure_slowdown
}

# A warm start of cmd.exe that exits at once, in seconds, with native Wine (wine64) on these
# machines (2 cores; the median of 15 measurements as below): the yardstick of E2E_SLOWDOWN.
WINE_PROBE_NATIVE=0.05

# wine_measure_slowdown: sets E2E_SLOWDOWN (unless set already) from the fastest of three warm
# starts of cmd.exe in the run's prefix against the same with native Wine; never below 1. The
# fastest, since other work on the machine only ever adds time. A measurement of the last 30
# minutes, kept beside the booted prefixes, is taken again: the suites of one test command share it.
wine_measure_slowdown() {
  if [ -n "${E2E_SLOWDOWN:-}" ]; then
    echo "wine-env: E2E_SLOWDOWN=$E2E_SLOWDOWN, as set"
    export E2E_SLOWDOWN
    return 0
  fi
  local measured
  measured=$WINE_PREFIXES/$(wine_prefix_key slowdown)
  if [ -n "$(find "$measured" -mmin -30 2>/dev/null)" ] && E2E_SLOWDOWN=$(cat "$measured") && [ -n "$E2E_SLOWDOWN" ]; then
    export E2E_SLOWDOWN
    echo "wine-env: E2E_SLOWDOWN=$E2E_SLOWDOWN, measured $(( ($(date +%s) - $(stat -c %Y "$measured")) / 60 )) min ago"
    return 0
  fi
  local times=() i t0 fastest
  "$WINESERVER" -p
  "$WINE" cmd /c exit >/dev/null 2>&1  # the first start after the prefix's set-up is slower
  for i in 1 2 3; do
    t0=$(date +%s%N)
    "$WINE" cmd /c exit >/dev/null 2>&1
    times+=($(($(date +%s%N) - t0)))
  done
  "$WINESERVER" -k
  "$WINESERVER" -w
  fastest=$(printf '%s\n' "${times[@]}" | sort -n | head -1)
  E2E_SLOWDOWN=$(LC_ALL=C awk -v ns="$fastest" -v ref="$WINE_PROBE_NATIVE" 'BEGIN { s = ns / 1e9 / ref; printf "%.1f", s < 1 ? 1 : s }')
  export E2E_SLOWDOWN
  echo "$E2E_SLOWDOWN" >"$measured.new" && mv "$measured.new" "$measured"
  echo "wine-env: E2E_SLOWDOWN=$E2E_SLOWDOWN: a warm cmd.exe start took" \
       "$(LC_ALL=C awk -v ns="$fastest" 'BEGIN { printf "%.3f", ns / 1e9 }') s here, $WINE_PROBE_NATIVE s with native Wine"
}

# wine_display_up: Xvfb on a display of its own, for this run only. Xvfb picks a free number
# itself and writes it once it takes connections, so that runs side by side never race for one.
wine_display_up() {
  local log=$WINE_RUN_DIR/xvfb.log number=$WINE_RUN_DIR/xvfb.display started=$SECONDS
  : >"$number"
  # -ac: the unprivileged test user's Wine draws on it too; it listens on no network.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -ac 3>"$number" >"$log" 2>&1 &
  WINE_XVFB_PID=$!
  # Up to 30 s: the first start on a fresh machine compiles its keymap, which under load takes
  # more than 5 s.
  while [ $((SECONDS - started)) -lt 30 ] && kill -0 "$WINE_XVFB_PID" 2>/dev/null; do
    if [ -s "$number" ]; then
      export DISPLAY=":$(head -n 1 "$number")"
      return 0
    fi
    sleep 0.1
  done
  echo "wine-env: Xvfb did not start within $((SECONDS - started)) s; the end of its log:" >&2
  tail -n 20 "$log" >&2
  return 1
}

# wine_run PROGRAM [ARGS...]: runs a Windows program in the run's prefix on the virtual display.
wine_run() {
  [ -n "$WINE_XVFB_PID" ] || wine_display_up || return 1
  "$WINE" "$@"
}

# wine_unix_to_win PATH: the Windows form of an absolute Unix path (Z: is the Unix root).
wine_unix_to_win() {
  local p
  p=$(realpath -m "$1")
  echo "Z:${p//\//\\}"
}

wine_env_down() {
  [ -n "${WINEPREFIX:-}" ] && "$WINESERVER" -k >/dev/null 2>&1
  [ -n "$WINE_XVFB_PID" ] && kill "$WINE_XVFB_PID" 2>/dev/null
  WINE_XVFB_PID=
  [ -n "${WINE_KEEP_RUN_DIR:-}" ] || rm -rf "$WINE_RUN_DIR"
}
