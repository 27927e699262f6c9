#!/usr/bin/env bash
# Makes the release in dist/: hostovik-<version>-win32.zip (the .exe and a read-me for
# Windows users), the .exe itself, and SHA256SUMS of both, beside the zip, to be published
# with it. Installs what it needs first.
#
#   bash scripts/release.sh [--check]
#
# --check: builds and packs twice in separate folders; the .exe and the zip must come out
# byte for byte the same. Then checks the zip's content, its read-me and the sums.
set -euo pipefail
cd "$(dirname "$0")/.."

check=0
case "${1:-}" in
  "") ;;
  --check) check=1 ;;
  *) sed -n '2,9s/^# \{0,1\}//p' "$0"; exit 2 ;;
esac

version=$(awk '/APP_VERSION_(MAJOR|MINOR|REVISION)/ {v = v (v ? "." : "") $3} END {print v}' app/version.h)
name="hostovik-$version-win32"
zip=dist/$name.zip
readme=docs/release/README.txt
# The package's file times: the commit's, so the same sources give the same zip.
stamp=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 315532800)}

build_exe() {  # folder
  rm -rf "$1" &&
    cmake --preset mingw-i686 -B "$1" -DHOSTOVIK_E2E=OFF &&
    cmake --build "$1" --target hostovik
}

pack() {  # folder holding the built .exe, zip to make
  local stage=$1/$name
  rm -rf "$stage" "$2" && mkdir -p "$stage" "$(dirname "$2")" &&
    cp "$1/hostovik.exe" "$stage/" &&
    # A BOM and CR LF: Notepad before Windows 10 takes text without a BOM for the ANSI
    # code page, and shows LF-only text on one line.
    { printf '\357\273\277' && sed "s/@VERSION@/$version/g; s/\$/\r/" "$readme"; } > "$stage/README.txt" &&
    # Fixed modes, times and order, whatever the umask and the clock.
    chmod 644 "$stage"/* && touch -d "@$stamp" "$stage"/* &&
    (cd "$1" && TZ=UTC zip -X -D "$OLDPWD/$2" "$name/hostovik.exe" "$name/README.txt")
}

bash scripts/setup.sh
source scripts/common.sh

step "building hostovik.exe in build/release-a" "10 s" build_exe build/release-a
if [ $check -eq 1 ]; then
  step "building it again in build/release-b, to compare" "10 s" build_exe build/release-b
fi

rm -f "$zip" dist/hostovik.exe dist/SHA256SUMS
run pack build/release-a "$zip"
cp build/release-a/hostovik.exe dist/
(cd dist && sha256sum "$name.zip" hostovik.exe > SHA256SUMS)
echo "made $zip ($(stat -c %s "$zip") bytes)"
echo "     dist/hostovik.exe ($(stat -c %s dist/hostovik.exe) bytes), dist/SHA256SUMS:"
sed 's/^/     /' dist/SHA256SUMS
[ $check -eq 1 ] || exit 0

crlf_only() { perl -0777 -ne 'exit(/\r(?!\n)|(?<!\r)\n|[^\n]\z/ ? 1 : 0)' "$1"; }
starts_with_bom() { [ "$(head -c3 "$1" | od -An -tx1 | tr -d ' \n')" = efbbbf ]; }

check "two builds give the same .exe" cmp build/release-a/hostovik.exe build/release-b/hostovik.exe
# Only DLLs Windows takes from the system whatever lies beside the program: KnownDLLs, and
# COMCTL32, which the manifest binds to version 6 in the side-by-side store.
allowed='ADVAPI32|COMCTL32|GDI32|KERNEL32|MSVCRT|SHELL32|USER32'
imports=$(i686-w64-mingw32-objdump -p build/release-a/hostovik.exe | awk '/DLL Name:/ {print toupper($3)}' | tr '\n' ' ')
check "the .exe imports only DLLs of the allow-list ($imports)" \
  bash -c '[ -n "$1" ] && ! tr " " "\n" <<<"$1" | grep -vxE "($2)\.DLL|"' _ "$imports" "$allowed"
check "the .exe is large-address-aware" bash -c \
  'i686-w64-mingw32-objdump -p build/release-a/hostovik.exe | grep -q "large address aware"'
run pack build/release-b build/release-b/$name.zip
check "two packs give the same zip" cmp "$zip" "build/release-b/$name.zip"
check "the zip holds the .exe and README.txt, in that order, and nothing else" \
  test "$(unzip -Z1 "$zip" | tr '\n' ' ')" = "$name/hostovik.exe $name/README.txt "
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
run unzip -q "$zip" -d "$unpacked"
check "the packed .exe is the built one" cmp "$unpacked/$name/hostovik.exe" build/release-a/hostovik.exe
text=$unpacked/$name/README.txt
check "README.txt is valid UTF-8" bash -c 'iconv -f UTF-8 -t UTF-8 "$1" >/dev/null' _ "$text"
check "README.txt starts with the BOM" starts_with_bom "$text"
check "README.txt ends every line with CR LF" crlf_only "$text"
check "README.txt names this version and links to no file outside the zip" bash -c \
  'grep -q "hostovik-$2-win32.zip" "$1" && ! grep -qiE "@VERSION@|\.(png|md)\b|https?://|docs/" "$1"' _ "$text" "$version"
check "README.txt tells how to check the hash with certutil, in both languages" \
  test "$(grep -c 'certutil -hashfile hostovik.exe SHA256' "$text")" -eq 2
check "SHA256SUMS lies beside the zip and covers the zip and the .exe" \
  test "$(awk '{print $2}' dist/SHA256SUMS | tr '\n' ' ')" = "$name.zip hostovik.exe "
check "cd dist && sha256sum -c SHA256SUMS" bash -c 'cd dist && sha256sum -c SHA256SUMS'
checks_summary Release
