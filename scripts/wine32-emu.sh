#!/usr/bin/env bash
# 32-bit Wine for a kernel that cannot run 32-bit Linux programs: Debian's own wine32:i386,
# every process of it run by a static qemu-i386 (user-mode emulation). Nothing is registered
# machine-wide (no binfmt): only the loader in FOLDER goes through qemu.
#
#   bash scripts/wine32-emu.sh [FOLDER]     FOLDER: $HOSTOVIK_WINE32_EMU_DIR, else build/wine32-emu
#
# Then FOLDER/usr/lib/wine/wine is the 32-bit loader and FOLDER/usr/lib/wine/wineserver the
# native 64-bit server of the same Wine, which serves the emulated processes.
# Idempotent: when set up already it only checks that the loader starts (about a second).
# The first run downloads qemu-user (about 70 MB) from Debian trixie's archive on the mirror
# this machine uses, with an apt state of its own: the system's sources are left alone.
# Bookworm's own qemu 7.2 does not do: wineboot hangs under it.
# Needs wine32:i386 and libwine:i386 (scripts/setup.sh installs them).
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dir=${1:-${HOSTOVIK_WINE32_EMU_DIR:-$root/build/wine32-emu}}
mkdir -p "$dir" && dir=$(cd "$dir" && pwd -P) || exit 1
loader=$dir/usr/lib/wine/wine
qemu=$dir/bin/qemu-i386
layout=1  # raise when the tree below changes shape

say() { echo "wine32-emu: $*"; }
# run WHAT COMMAND...: runs COMMAND quietly; on failure shows its output and exit code.
run() {
  local what=$1 out rc
  shift
  out=$("$@" 2>&1)
  rc=$?
  [ "$rc" -eq 0 ] && return 0
  say "$what failed (exit code $rc): $*"
  [ -n "$out" ] && printf '%s\n' "$out" | tail -40 | sed 's/^/    /'
  return "$rc"
}

wine_versions=
for pkg in wine32:i386 libwine:i386 wine64:amd64; do
  v=$(dpkg-query -W -f='${Status} ${Version}' "$pkg" 2>/dev/null) && [[ $v == "install ok installed "* ]] ||
    { say "$pkg is not installed: run scripts/setup.sh"; exit 1; }
  wine_versions+=" $pkg=${v##* }"
done
key="layout=$layout dir=$dir $wine_versions"

# The loader starts when it gets as far as 32-bit Wine's ntdll.so, under qemu.
loader_starts() {
  local out
  out=$("$loader" --version 2>&1) && [[ $out == wine-* ]] && return 0
  say "the emulated loader does not start: $loader --version gave: ${out:-nothing}"
  return 1
}

# Other users reach the folder only when every folder above it lets them through.
warn_if_closed() {
  local p=$dir
  while [ "$p" != / ]; do
    p=$(dirname "$p")
    if [ $((0$(stat -c %a "$p") & 1)) -eq 0 ]; then
      say "note: $p is closed to other users, so Wine run as another user cannot use $dir" \
          "(set HOSTOVIK_WINE32_EMU_DIR to a folder they can reach)"
      return
    fi
  done
}

# One set-up at a time; a second waits and then finds it done.
exec 9>"$dir/lock" && flock 9 || exit 1
if [ -f "$dir/stamp" ] && [ "$(head -1 "$dir/stamp")" = "$key" ] && [ -x "$qemu" ] && loader_starts >/dev/null; then
  warn_if_closed
  exit 0
fi

# qemu-i386 from trixie's qemu-user (static since trixie; qemu-user-static only links to it).
if ! "$qemu" --version >/dev/null 2>&1; then
  fetch=$dir/fetch
  rm -rf "$fetch"
  mkdir -p "$fetch/lists/partial" "$fetch/cache/archives/partial" "$fetch/deb"
  mirror=${HOSTOVIK_DEBIAN_MIRROR:-$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
    grep -oE '(https?|ftp)://[^ ]*/debian/?( |$)' | head -1 | tr -d ' ')}
  mirror=${mirror:-http://deb.debian.org/debian}
  # Bookworm's debian-archive-keyring holds trixie's signing keys too.
  echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] ${mirror%/} trixie main" >"$fetch/sources.list"
  apt_private=(-o Dir::Etc::sourcelist="$fetch/sources.list" -o Dir::Etc::sourceparts=-
    -o Dir::Etc::preferences=/dev/null -o Dir::Etc::preferencesparts=-
    -o Dir::State::Lists="$fetch/lists" -o Dir::Cache="$fetch/cache"
    -o APT::Architectures::=amd64 -o Acquire::Languages=none -o APT::Sandbox::User="$(id -un)")
  say "reading trixie's package list from $mirror (typically 3 s)"
  run "apt-get update (trixie, private state)" apt-get "${apt_private[@]}" update || exit 1
  say "downloading qemu-user from trixie (about 70 MB; typically 2 s here, a minute on a slow line)"
  (cd "$fetch/deb" && run "apt-get download qemu-user" apt-get "${apt_private[@]}" download qemu-user) || exit 1
  say "unpacking qemu-i386 (typically 6 s)"
  mkdir -p "$dir/bin"
  run "unpacking qemu-i386 from $(basename "$fetch"/deb/qemu-user_*.deb)" \
    sh -c 'dpkg-deb --fsys-tarfile "$1" | tar -x -O ./usr/bin/qemu-i386 >"$2.new"' - "$fetch"/deb/qemu-user_*.deb "$qemu" || exit 1
  chmod 755 "$qemu.new" && mv "$qemu.new" "$qemu"
  rm -rf "$fetch"
  run "$qemu --version" "$qemu" --version || exit 1
fi

# The loader tree. Wine 8 finds ntdll.so from the loader's real path and its own folders from
# ntdll.so's real path, and starts every process of the prefix as <its folder>/wine: so the
# loader and ntdll.so are copies here, `wine` is a wrapper calling qemu (-0 keeps the
# wrapper as argv[0], so re-executions come back through it) and the rest links to the system.
tree=$dir/usr
rm -rf "$tree" "$dir/stamp"
unix=$tree/lib/i386-linux-gnu/wine/i386-unix
mkdir -p "$tree/lib/wine" "$unix" "$tree/share" || exit 1
for so in /usr/lib/i386-linux-gnu/wine/i386-unix/*; do ln -s "$so" "$unix/"; done
rm "$unix/ntdll.so"
cp /usr/lib/i386-linux-gnu/wine/i386-unix/ntdll.so "$unix/ntdll.so" || exit 1
ln -s /usr/lib/i386-linux-gnu/wine/i386-windows "$tree/lib/i386-linux-gnu/wine/i386-windows"
ln -s /usr/share/wine "$tree/share/wine"
cp /usr/lib/wine/wine "$tree/lib/wine/wine-i386" || exit 1
ln -s /usr/lib/wine/wineserver "$tree/lib/wine/wineserver"
printf '#!/bin/sh\nexec "%s" -0 "%s" "%s" "$@"\n' "$qemu" "$loader" "$tree/lib/wine/wine-i386" >"$loader"
# The tests also run Wine as an unprivileged user.
chmod -R a+rX "$dir" && chmod 755 "$loader" || exit 1
loader_starts || exit 1
printf '%s\n%s\n' "$key" "$("$qemu" --version | head -1)" >"$dir/stamp"
say "ready: $loader ($("$qemu" --version | head -1))"

warn_if_closed
