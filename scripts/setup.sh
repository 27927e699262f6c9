#!/usr/bin/env bash
# Installs every Debian package the build, the program under Wine and the tests need.
# Safe to run again: it installs only what is missing.
set -euo pipefail

pkgs=(cmake ninja-build g++ g++-mingw-w64-i686 mingw-w64-i686-dev g++-mingw-w64-x86-64 mingw-w64-x86-64-dev
      googletest libgtest-dev libbenchmark-dev clang libclang-rt-14-dev
      wine wine32:i386 wine64 xvfb xauth x11-utils locales imagemagick python3 zip unzip)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
  as_root apt-get update -qq
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
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
