#!/usr/bin/env bash
# Makes the release in dist/: hostovik-<version>-win32.zip (the window program hostovik.exe,
# the console program hostovik-cli.exe and a read-me for Windows users, with both programs
# again for 64-bit Windows in x64/), the four .exe files beside it, laid out the same way, and
# SHA256SUMS of all five, to be published with it. Installs what it needs first.
# The programs come from the Windows builds the end-to-end tests run (build/win32 and
# build/win64, brought up to date here): what is published is what was tested.
#
#   bash scripts/release.sh [--check] [--test-cert]
#
# --check: builds them again from nothing in build/release-b and packs twice; every .exe and the
# zip must come out byte for byte the same. Then checks each .exe's PE header, imports and
# signature, the zip's content, its read-me and the sums.
# --test-cert: signs with a throw-away self-signed certificate made here, offline, whatever the
# variables below say: to try the signing, never to publish.
#
# Given a certificate, it signs the four .exe files (Authenticode, SHA-256) before they are
# packed and summed:
#   HOSTOVIK_SIGN_PFX        the certificate with its key, a .pfx (PKCS #12) file
#   HOSTOVIK_SIGN_PASSWORD   its password, handed to the signing tool in a file, never as an argument
#   HOSTOVIK_SIGN_TIMESTAMP  the URL of an RFC 3161 timestamp server, so that the signature stays
#                            valid after the certificate expires; without it, none is asked for
#   HOSTOVIK_SIGN_CAFILE     the CA certificates (PEM) --check verifies the signer and the timestamp
#                            against (default: the system's)
set -euo pipefail

check=0 test_cert=0
for arg in "$@"; do
  case $arg in
    --check) check=1 ;;
    --test-cert) test_cert=1 ;;
    *) sed -n '2,24s/^# \{0,1\}//p' "$0"; exit 2 ;;
  esac
done

# The certificate: its files may be named from where the script was started, so they are made
# absolute before the cd. --test-cert makes its own below.
absolute() { [ -z "$1" ] || realpath -e -- "$1"; }
pfx= cafile= timestamp=
if [ $test_cert -eq 0 ]; then
  pfx=$(absolute "${HOSTOVIK_SIGN_PFX:-}")
  cafile=$(absolute "${HOSTOVIK_SIGN_CAFILE:-}")
  timestamp=${HOSTOVIK_SIGN_TIMESTAMP:-}
fi
cd "$(dirname "$0")/.."

version=$(awk '/APP_VERSION_(MAJOR|MINOR|REVISION)/ {v = v (v ? "." : "") $3} END {print v}' app/version.h)
name="hostovik-$version-win32"
zip=dist/$name.zip
readme=docs/release/README.txt
# The package's file times and the signatures' signing time: the commit's, so the same sources
# give the same zip, and the same files signed with the same certificate the same bytes.
stamp=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 315532800)}
# Every .exe of the release, as laid out in the zip and in dist/: the 32-bit builds at the top,
# which run on every Windows; the 64-bit ones in x64/, for 64-bit WinPE, which cannot run them.
exes=(hostovik.exe hostovik-cli.exe x64/hostovik.exe x64/hostovik-cli.exe)
# The packed files, in their order.
packed=(hostovik.exe hostovik-cli.exe README.txt x64/hostovik.exe x64/hostovik-cli.exe)

build() {  # preset, folder, then "fresh" to build from nothing
  if [ "${3:-}" = fresh ]; then
    rm -rf "$2" && cmake --preset "$1" -B "$2" -DHOSTOVIK_E2E=OFF && cmake --build "$2" --target hostovik hostovik-cli
  else  # the end-to-end tests' folder: one build of it at a time (scripts/wine-env.sh)
    mkdir -p "$2" && (flock 9 && cmake --preset "$1" -DHOSTOVIK_E2E=ON && cmake --build "$2" --target hostovik hostovik-cli) 9>"$2.lock"
  fi
}

built() {  # release folder (build for the tested builds), .exe as laid out: where its build lies
  case $2 in
    x64/*) echo "$1/win64/${2#x64/}" ;;
    *) echo "$1/win32/$2" ;;
  esac
}

released() {  # release folder, .exe as laid out: the file packed and published
  if [ -n "$pfx" ]; then echo "$1/signed/$2"; else built "$1" "$2"; fi
}

make_test_cert() (  # folder: test.pfx, its certificate test.crt and its random password, the owner's alone
  umask 077
  openssl rand -hex 24 > "$1/password" &&
    openssl req -x509 -newkey rsa:3072 -noenc -keyout "$1/test.key" -out "$1/test.crt" -days 1 \
      -subj "/CN=Hostovik test signing" -addext "keyUsage=critical,digitalSignature" \
      -addext "extendedKeyUsage=critical,codeSigning" &&
    openssl pkcs12 -export -inkey "$1/test.key" -in "$1/test.crt" -out "$1/test.pfx" -passout "file:$1/password"
)

sign() {  # release folder: its .exe files signed, in signed/ beside them
  local exe
  rm -rf "$1/signed" && mkdir -p "$1/signed/x64" || return
  # -n: the program's name in the UAC prompt.
  for exe in "${exes[@]}"; do
    osslsigncode sign -pkcs12 "$pfx" -readpass "$work/password" -h sha256 -n "Хостовик сайтов" \
      -time "$stamp" ${timestamp:+-ts "$timestamp"} -in "$(built "$1" "$exe")" -out "$1/signed/$exe" || return
  done
}

pack() {  # release folder, zip to make
  local stage=$1/$name exe
  rm -rf "$stage" "$2" && mkdir -p "$stage/x64" "$(dirname "$2")" || return
  for exe in "${exes[@]}"; do
    cp "$(released "$1" "$exe")" "$stage/$exe" || return
  done
  # A BOM and CR LF: Notepad before Windows 10 takes text without a BOM for the ANSI
  # code page, and shows LF-only text on one line.
  { printf '\357\273\277' && sed "s/@VERSION@/$version/g; s/\$/\r/" "$readme"; } > "$stage/README.txt" &&
    # Fixed modes, times and order, whatever the umask and the clock; no folder entries.
    (cd "$stage" && chmod 644 "${packed[@]}" && touch -d "@$stamp" "${packed[@]}") &&
    (cd "$1" && TZ=UTC zip -X -D "$OLDPWD/$2" "${packed[@]/#/$name/}")
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The signing tool reads the password from a file of the owner's alone, gone with $work at the
# end; printf is the shell's own, so the password is no program's argument.
[ -z "$pfx" ] || (umask 077 && printf '%s' "${HOSTOVIK_SIGN_PASSWORD:-}" > "$work/password")
unset HOSTOVIK_SIGN_PASSWORD  # the builds need not see it

bash scripts/setup.sh
source scripts/common.sh
if [ $test_cert -eq 1 ]; then
  step "making a throw-away self-signed certificate to sign with" "1 s" make_test_cert "$work"
  pfx=$work/test.pfx cafile=$work/test.crt
fi

# Whatever an earlier run, or an earlier layout, left there goes first.
rm -rf build/release-a
[ $check -eq 0 ] || rm -rf build/release-b
# Measured on two cores: each pair from nothing 0.5-1.5 min, about 1 min as a rule; up to date
# already after the end-to-end tests, a few seconds.
step "bringing hostovik.exe and hostovik-cli.exe for 32-bit Windows up to date in build/win32" "5 s, 1 min from nothing" \
  build mingw-i686 build/win32
step "bringing them for 64-bit Windows up to date in build/win64" "5 s, 1 min from nothing" \
  build mingw-x86_64 build/win64
if [ $check -eq 1 ]; then
  step "building the 32-bit pair again from nothing in build/release-b/win32, to compare" "1 min" \
    build mingw-i686 build/release-b/win32 fresh
  step "building the 64-bit pair again from nothing in build/release-b/win64, to compare" "1 min" \
    build mingw-x86_64 build/release-b/win64 fresh
fi

rm -f "$zip" dist/SHA256SUMS "${exes[@]/#/dist/}"
# The tested programs, copied first: a test run after this one may rebuild them.
mkdir -p build/release-a/win32 build/release-a/win64
for exe in "${exes[@]}"; do cp "$(built build "$exe")" "$(built build/release-a "$exe")"; done
if [ -n "$pfx" ]; then
  step "signing the four .exe files with ${pfx##*/}${timestamp:+, timestamped by $timestamp}" \
    "1 s${timestamp:+, more for the timestamps}" sign build/release-a
else
  echo "not signing the .exe files: no certificate (HOSTOVIK_SIGN_PFX, or --test-cert)"
fi
run pack build/release-a "$zip"
mkdir -p dist/x64
for exe in "${exes[@]}"; do cp "$(released build/release-a "$exe")" "dist/$exe"; done
(cd dist && sha256sum "$name.zip" "${exes[@]}" > SHA256SUMS)
echo "made in dist/:"
for file in "$name.zip" "${exes[@]}"; do printf '     %-28s %9d bytes\n' "$file" "$(stat -c %s "dist/$file")"; done
echo "     SHA256SUMS:"
sed 's/^/       /' dist/SHA256SUMS
[ $check -eq 1 ] || exit 0

crlf_only() { perl -0777 -ne 'exit(/\r(?!\n)|(?<!\r)\n|[^\n]\z/ ? 1 : 0)' "$1"; }
starts_with_bom() { [ "$(head -c3 "$1" | od -An -tx1 | tr -d ' \n')" = efbbbf ]; }

# Only DLLs Windows takes from the system whatever lies beside the program: KnownDLLs, and
# COMCTL32, which the manifest binds to version 6 in the side-by-side store.
allowed='ADVAPI32|COMCTL32|GDI32|KERNEL32|MSVCRT|OLE32|OLEAUT32|SHELL32|USER32'

# Functions that Windows XP SP3 (32-bit) lacks, by the DLL that would export them; * stands for
# any text. The program must load there, and Windows refuses to start an .exe that imports a
# single one of them. Anything newer is looked up with GetProcAddress instead. Where they come
# from: the Requirements of each function's reference page at Microsoft ("Minimum supported
# client: Windows Vista" or later), and for msvcrt.dll the history of its exports kept in
# mingw-w64's msvcrt.def.in (what came after the XP version of the DLL). The x64 files are held
# to the same list: the oldest 64-bit Windows, XP x64, has a little more, and they need none of it.
not_on_xp() {
  sed 's/#.*//' <<'LIST'
# Synchronisation, threads, thread pools
KERNEL32  InitOnce* *SRWLock* *ConditionVariable* InitializeCriticalSectionEx
KERNEL32  CreateEventEx* CreateMutexEx* CreateSemaphoreEx* CreateWaitableTimerEx*
KERNEL32  Fls* *Threadpool* FlushProcessWriteBuffers Interlocked*64 IsThreadAFiber
KERNEL32  *ProcThreadAttribute* CreateRemoteThreadEx SetThreadStackGuarantee *GroupAffinity*
KERNEL32  GetCurrentProcessorNumber* Get*Processor*Count GetLogicalProcessorInformationEx
# Time, the system, the process
KERNEL32  GetTickCount64 GetSystemTimePreciseAsFileTime QueryUnbiasedInterruptTime
KERNEL32  *DynamicTimeZone* GetTimeZoneInformationForYear GetProductInfo
KERNEL32  GetPhysicallyInstalledSystemMemory *SystemFirmwareTable*
KERNEL32  GetErrorMode SetThreadErrorMode GetThreadErrorMode RaiseFailFastException
KERNEL32  QueryFullProcessImageName* K32* *ApplicationRestart* *ApplicationRecovery* Wer*
KERNEL32  Wow64* IsWow64Process2
KERNEL32  SetDefaultDllDirectories AddDllDirectory RemoveDllDirectory
# Files
KERNEL32  CreateSymbolicLink* GetFinalPathNameByHandle* *Transacted* OpenFileById ReOpenFile
KERNEL32  SetFileInformationByHandle GetFileInformationByHandleEx GetVolumeInformationByHandle*
KERNEL32  CreateFile2 CopyFile2 CancelIoEx CancelSynchronousIo GetQueuedCompletionStatusEx
KERNEL32  SetFileCompletionNotificationModes GetOverlappedResultEx
# Locales by name, and the languages of the interface
KERNEL32  *LocaleName* GetLocaleInfoEx CompareStringEx CompareStringOrdinal LCMapStringEx
KERNEL32  GetDateFormatEx GetTimeFormatEx GetNumberFormatEx GetCurrencyFormatEx GetCalendarInfoEx
KERNEL32  EnumSystemLocalesEx FindNLSString* GetDurationFormat* *PreferredUILanguages* GetFileMUI*
KERNEL32  NormalizeString IsNormalizedString IdnTo*
# The registry, event tracing, security
ADVAPI32  RegGetValue* RegSetKeyValue* RegDeleteKeyValue* RegDeleteTree* RegCopyTree*
ADVAPI32  RegDeleteKeyEx* RegLoadMUIString* RegDisablePredefinedCacheEx Reg*ReflectionKey *Transacted*
ADVAPI32  EventRegister EventUnregister EventWrite* EventEnabled EventProviderEnabled
ADVAPI32  AddMandatoryAce Tree*NamedSecurityInfo* CreateProcessWithTokenW *WaitChain* *DynamicTimeZone*
# Windows, DPI, input
USER32    *DPIAware* *DpiAwareness* GetDpiFor* *ForDpi EnableNonClientDpiScaling
USER32    LogicalToPhysicalPoint* PhysicalToLogicalPoint* ChangeWindowMessageFilter*
USER32    ShutdownBlockReason* *PowerSettingNotification *ClipboardFormatListener
USER32    *WindowDisplayAffinity *Touch* *Gesture* GetPointer* *DisplayConfig*
USER32    CalculatePopupWindowPosition UpdateLayeredWindowIndirect
COMCTL32  TaskDialog* LoadIconMetric LoadIconWithScaleDown
GDI32     D3DKMT*
# The shell and COM
SHELL32   *KnownFolder* SHCreateItem* SHGetItemFrom* SHGetIDListFromObject SHCreateShellItemArray*
SHELL32   SHGetStockIconInfo SHGetPropertyStore* SHOpenWithDialog SHEvaluateSystemCommandTemplate
SHELL32   SHCreateDefaultContextMenu SHAssocEnumHandlers SHQueryUserNotificationState
SHELL32   *ExplicitAppUserModelID Shell_NotifyIconGetRect SHCreateDataObject SHGetLocalizedName
SHELL32   SHGetNameFromIDList SHBindToFolderIDListParent* SHCreateAssociationRegistration
OLE32     CoGetApartmentType CoDisconnectContext *MTAUsage CoWaitForMultipleObjects
# The C runtime: the secure and the locale-taking functions, the debug heap, the accessors
MSVCRT    *_s *_s_l *_l *printf_p *printf_c *_dbg _Crt* _crt* _fseeki64 _ftelli64 _freea* _initterm_e
MSVCRT    _invalid_parameter _wassert _create_locale _free_locale _get_current_locale _chvalidator
MSVCRT    _get_errno _set_errno _get_doserrno _set_doserrno _get_fmode _set_fmode _get_environ
MSVCRT    _get_wenviron _get_fileinfo _set_fileinfo _get_osplatform _get_osver _get_winmajor
MSVCRT    _get_winminor _get_winver _get_pgmptr _get_wpgmptr _get_output_format _set_output_format
MSVCRT    _set_controlfp _*time32 _difftime64 _mkgmtime* _abs64 _rotl64 _rotr64 _wctype _vcprintf
MSVCRT    _vcwprintf _mbsnlen _mbstrnlen strnlen wcsnlen btowc wctob mbrlen mbrtowc mbsrtowcs wcrtomb
MSVCRT    wcsrtombs __strncnt __wcsncnt __daylight __dstbias ___lc_collate_cp_func __pwctype_func
MSVCRT    __CxxFrameHandler2 __CxxFrameHandler3 __CppXcptFilter __CxxCallUnwindVecDtor
MSVCRT    __CxxCallUnwindDelDtor _except_handler4_common _local_unwind4 _ftol2* *libm_sse2_*
MSVCRT    __ExceptionPtr* _CallMemberFunction* _W_Get* _Wcsftime __AdjustPointer
LIST
}

# "DLL!function" for each function the .exe imports by name.
imports_of() {
  awk '/^\tDLL Name:/ {dll = toupper($3); sub(/\.DLL$/, "", dll); next}
       /^$/ {dll = ""}
       dll != "" && /^\t[0-9a-f]+\t/ {print dll "!" $3}' "$1"
}

# The list as whole-line patterns for grep -E, in the same "DLL!function" form.
not_on_xp_patterns() {
  not_on_xp | awk 'NF > 1 {for (i = 2; i <= NF; i++) {p = $i; gsub(/\*/, ".*", p); print "^" $1 "!" p "$"}}'
}

not_on_xp_patterns > "$work/not-on-xp"
unpacked=$work/unpacked
run unzip -q "$zip" -d "$unpacked"

# osslsigncode's verdict on a signed .exe, and its report when it fails. It passes a timestamp it
# cannot verify, checking the signature at the current time instead: that one is looked for.
verifies() {
  osslsigncode verify ${cafile:+-CAfile "$cafile" -TSA-CAfile "$cafile"} -in "$1" > "$work/verify.log" 2>&1 &&
    { [ -z "$timestamp" ] || grep -qxF 'Timestamp Server Signature verification: ok' "$work/verify.log"; } ||
    { cat "$work/verify.log"; false; }
}
unsigned_is() {  # signed .exe, built .exe
  rm -f "$work/unsigned.exe" && osslsigncode remove-signature -in "$1" -out "$work/unsigned.exe" > /dev/null &&
    cmp "$work/unsigned.exe" "$2"
}
# Without a timestamp the same files signed again come out the same; a timestamp is new each time.
if [ -n "$pfx" ] && [ -z "$timestamp" ]; then
  step "signing them again in build/release-b, to compare" "1 s" sign build/release-b
fi

for exe in "${exes[@]}"; do
  a=$(released build/release-a "$exe")
  if [ -z "$timestamp" ]; then
    check "two builds give the same $exe${pfx:+, signed}" cmp "$a" "$(released build/release-b "$exe")"
  else
    check "two builds give the same $exe before signing (a timestamp differs each time)" \
      cmp "$(built build/release-a "$exe")" "$(built build/release-b "$exe")"
  fi
  check "the packed $exe and dist/$exe are the built one${pfx:+, signed}" \
    bash -c 'cmp "$1" "$2" && cmp "$1" "$3"' _ "$a" "$unpacked/$name/$exe" "dist/$exe"
  if [ -n "$pfx" ]; then
    check "$exe's signature verifies${timestamp:+, timestamp included} (osslsigncode verify${cafile:+ -CAfile ${cafile##*/}})" \
      verifies "$a"
    check "$exe without its signature is the built one" unsigned_is "$a" "$(built build/release-a "$exe")"
  fi

  # x86_64-w64-mingw32-objdump reads both kinds of PE file, and says which it is.
  case $exe in x64/*) format=pei-x86-64 ;; *) format=pei-i386 ;; esac
  check "$exe is a $format file" bash -c \
    'x86_64-w64-mingw32-objdump -f "$1" | grep -q "file format $2\$"' _ "$a" "$format"
  pe=$work/${exe//\//-}.objdump
  x86_64-w64-mingw32-objdump -p "$a" > "$pe"
  # The console one: cmd and scripts wait for it and read its exit code; the window one: no
  # console window behind it.
  # The window one asks for administrator rights; the console one runs with its caller's, so that
  # anyone may check. Either way the manifest's level keeps Windows from redirecting its writes.
  case $exe in
    *-cli.exe) kind=console subsystem=$'00000003\t(Windows CUI)' level=asInvoker ;;
    *) kind=window subsystem=$'00000002\t(Windows GUI)' level=requireAdministrator ;;
  esac
  check "$exe is a $kind program (Subsystem ${subsystem/$'\t'/ })" grep -qxF $'Subsystem\t\t'"$subsystem" "$pe"
  check "$exe's manifest asks for $level in its trust section (which also turns off the redirection)" \
    python3 - "$a" "$level" <<'PY'
import re, sys, xml.etree.ElementTree as ET
found = re.findall(rb'<\?xml.*?</assembly>', open(sys.argv[1], 'rb').read(), re.S)
v3 = '{urn:schemas-microsoft-com:asm.v3}'
levels = [e.get('level') for m in found for e in ET.fromstring(m).findall(
    f'{v3}trustInfo/{v3}security/{v3}requestedPrivileges/{v3}requestedExecutionLevel')]
sys.exit(levels != [sys.argv[2]])
PY
  if [ "$format" = pei-i386 ]; then
    check "$exe is large-address-aware" grep -qxF $'\tlarge address aware' "$pe"
  fi

  dlls=$(awk '/^\tDLL Name:/ {print toupper($3)}' "$pe" | paste -sd' ')
  check "$exe imports only DLLs of the allow-list ($dlls)" \
    bash -c '[ -n "$1" ] && ! tr " " "\n" <<<"$1" | grep -vxE "($2)\.DLL|"' _ "$dlls" "$allowed"
  imports_of "$pe" > "$work/imports"
  grep -Ef "$work/not-on-xp" "$work/imports" > "$work/missing" || [ $? -eq 1 ]  # 1: none found
  if [ -s "$work/missing" ]; then
    missing=$(awk -F! '{printf "%s%s from %s", (NR > 1 ? ", " : ""), $2, $1}' "$work/missing")
    check "$exe imports $missing: missing from Windows XP SP3, which will not start it" false
  else
    check "$exe: none of its $(wc -l < "$work/imports") imported functions is missing from Windows XP SP3" \
      test -s "$work/imports"
  fi
done

# With a timestamp, the same signed files are packed twice.
second=build/release-b
[ -z "$timestamp" ] || second=build/release-a
run pack "$second" "build/release-b/$name.zip"
check "two packs give the same zip" cmp "$zip" "build/release-b/$name.zip"
check "the zip holds ${packed[*]}, in that order, and nothing else" \
  test "$(unzip -Z1 "$zip" | tr '\n' ' ')" = "${packed[*]/#/$name/} "
text=$unpacked/$name/README.txt
check "README.txt is valid UTF-8" bash -c 'iconv -f UTF-8 -t UTF-8 "$1" >/dev/null' _ "$text"
check "README.txt starts with the BOM" starts_with_bom "$text"
check "README.txt ends every line with CR LF" crlf_only "$text"
check "README.txt names this version and links to no file outside the zip" bash -c \
  'grep -q "hostovik-$2-win32.zip" "$1" && ! grep -qiE "@VERSION@|\.(png|md)\b|https?://|docs/" "$1"' _ "$text" "$version"
check "README.txt tells how to check the hash with certutil, in both languages" \
  test "$(grep -c 'certutil -hashfile hostovik.exe SHA256' "$text")" -eq 2
check "SHA256SUMS lies beside the zip and covers the zip and the four .exe files" \
  test "$(awk '{print $2}' dist/SHA256SUMS | tr '\n' ' ')" = "$name.zip ${exes[*]} "
check "cd dist && sha256sum -c SHA256SUMS" bash -c 'cd dist && sha256sum -c SHA256SUMS'
checks_summary Release
