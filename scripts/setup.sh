#!/usr/bin/env bash
# Installs every Debian package the build, the program under Wine and the tests need.
# Safe to run again: it installs only what is missing.
set -euo pipefail

pkgs=(cmake ninja-build g++ g++-mingw-w64-i686 mingw-w64-i686-dev g++-mingw-w64-x86-64 mingw-w64-x86-64-dev
      googletest libgtest-dev libbenchmark-dev clang libclang-rt-14-dev
      wine wine32:i386 wine64 xvfb xauth x11-utils locales imagemagick python3 zip unzip
      # osslsigncode signs the release (Authenticode); openssl makes the throw-away certificate of
      # release.sh --test-cert.
      osslsigncode openssl
      # The fonts a Windows screen has: Wine's own (Marlett draws the close boxes and the scroll
      # bar arrows, Tahoma the dialogs) and Liberation, with the metrics of Times New Roman and Arial.
      fonts-wine fonts-liberation fonts-liberation2)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
# Quiet when it works; on failure, the tool's own output and exit code.
quiet() {
  local log rc=0; log=$(mktemp)
  "$@" >"$log" 2>&1 || rc=$?
  [ $rc -eq 0 ] || { cat "$log" >&2; echo "failed (exit code $rc): $*" >&2; }
  rm -f "$log"; return $rc
}

if [ ${#missing[@]} -gt 0 ]; then
  # Measured: about 1 min for the cross compilers, Wine and the rest on a machine that has
  # only the native compilers; more on a bare system or a slow mirror.
  echo "installing ${#missing[@]} Debian packages and what they need (typically 1-3 min): ${missing[*]}"
  dpkg --print-foreign-architectures | grep -qx i386 || quiet as_root dpkg --add-architecture i386
  # Another apt run may hold the lock: wait for it rather than fail.
  quiet as_root apt-get -o DPkg::Lock::Timeout=600 update -qq
  quiet as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
    --no-install-recommends "${missing[@]}"
fi

# Wine takes its ANSI code page from the locale: ru_RU.UTF-8 gives 1251, as on a Russian Windows.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
  as_root sed -i 's/^# *ru_RU.UTF-8 UTF-8/ru_RU.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
fi

# A kernel that cannot run 32-bit Linux programs runs 32-bit Wine under emulation instead.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  bash "$(dirname "$0")/wine32-emu.sh" ||
    echo "setup: no emulated 32-bit Wine (see above): the Wine scripts will fall back to wine64 and the x86_64 build"
fi
