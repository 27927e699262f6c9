#!/usr/bin/env bash
# Builds the program for 32-bit Windows (build/win32/hostovik.exe), the same sources for
# 64-bit Windows (the build the tests drive where only 64-bit Wine runs), and the
# native build of the logic with its unit tests.
set -euo pipefail
cd "$(dirname "$0")/.."

configure() {
  local dir=$1; shift
  [ -f "$dir/build.ninja" ] || cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
}

configure build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-mingw.cmake
configure build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-mingw.cmake
configure build/native
for dir in build/win32 build/win64 build/native; do
  ninja -C "$dir" >/dev/null
done
echo "built: build/win32/hostovik.exe ($(stat -c %s build/win32/hostovik.exe) bytes)"
