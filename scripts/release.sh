#!/usr/bin/env bash
# Makes dist/hostovik-<version>-win32.zip: the .exe, both READMEs and SHA256SUMS.
# The build is reproducible: with --check, the .exe is built twice in separate folders
# and the two must be byte for byte the same; the package's content and sums are checked.
set -euo pipefail
cd "$(dirname "$0")/.."

version=$(awk '/APP_VERSION_(MAJOR|MINOR|REVISION)/ {v = v (v ? "." : "") $3} END {print v}' app/version.h)
name="hostovik-$version-win32"

build_exe() {  # folder
  rm -rf "$1"
  cmake -S . -B "$1" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-mingw.cmake -DHOSTOVIK_E2E=OFF >/dev/null
  ninja -C "$1" hostovik >/dev/null
}

check=0 passes=0 failures=0
[ "${1:-}" = "--check" ] && check=1
verify() {  # description, then a command that must succeed
  local what=$1; shift
  if "$@"; then passes=$((passes + 1)); echo "PASS  $what"; else failures=$((failures + 1)); echo "FAIL  $what"; fi
}

build_exe build/release-a
if [ $check -eq 1 ]; then
  build_exe build/release-b
  verify "two builds give the same .exe" cmp -s build/release-a/hostovik.exe build/release-b/hostovik.exe
fi

stage="build/release-a/$name"
rm -rf "$stage" && mkdir -p "$stage" dist
cp build/release-a/hostovik.exe README.md README.ru.md "$stage/"
(cd "$stage" && sha256sum hostovik.exe README.md README.ru.md > SHA256SUMS)
# Fixed times and order, so the same sources give the same package.
touch -d "@$(git log -1 --format=%ct 2>/dev/null || echo 0)" "$stage"/*
rm -f "dist/$name.zip"
(cd build/release-a && TZ=UTC zip -q -X -D "../../dist/$name.zip" "$name"/hostovik.exe "$name"/README.md "$name"/README.ru.md "$name"/SHA256SUMS)
echo "made dist/$name.zip ($(stat -c %s "dist/$name.zip") bytes); hostovik.exe $(stat -c %s "$stage/hostovik.exe") bytes, sha256 $(sha256sum < "$stage/hostovik.exe" | cut -d' ' -f1)"

if [ $check -eq 1 ]; then
  unpacked=$(mktemp -d)
  unzip -q "dist/$name.zip" -d "$unpacked"
  verify "the package holds the .exe, both READMEs and SHA256SUMS" \
    test "$(ls "$unpacked/$name" | sort | tr '\n' ' ')" = "README.md README.ru.md SHA256SUMS hostovik.exe "
  verify "SHA256SUMS matches the package" bash -c "cd '$unpacked/$name' && sha256sum --quiet -c SHA256SUMS"
  verify "the packaged .exe is the built one" cmp -s "$unpacked/$name/hostovik.exe" build/release-a/hostovik.exe
  rm -rf "$unpacked"
  echo "Release: $passes passed, $failures failed"
fi
[ $failures -eq 0 ]
