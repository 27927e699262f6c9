#pragma once
// Beyond the hosts file: the other places that send a site elsewhere before or instead of it.
// The proxies (WinINET's per user, WinHTTP's per machine), an auto-config script, name servers
// set by hand, name resolution policy rules, Winsock providers, hosts.ics. Each is read, judged
// and named; only a proxy to this computer is plainly malware's, and undone.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/Platform.h"

class WindowsRegistry;

// What a finding is about, in the order the RESULT line's `other=` names them.
enum class FindingKind { Ics, Proxy, Pac, WinHttp, Dns, Nrpt, Winsock };

// A key of the running Windows' registry, under a root (win::HKey*).
struct KeyPlace {
    std::int32_t root;
    std::wstring path;
};

// How a finding that is plainly malware's is switched off: a proxy's ProxyEnable set to 0, an
// auto-config URL deleted, WinHTTP's proxy set to direct. Nothing else is ever changed.
struct Undo {
    enum Action { ProxyOff, ScriptOff, WinHttpDirect };
    Action action;
    KeyPlace key;
    std::vector<std::pair<std::wstring, RegistryValue>> old;  // the values as they were, which bring it back
};

struct Finding {
    FindingKind kind;
    std::wstring line;              // for people: printable, cut, with the command that resets it
    std::optional<Undo> undo = {};  // a proxy or an auto-config script on this computer
};

// What else sends a site elsewhere, and what could not be looked at, and why.
struct LookupReport {
    std::vector<Finding> findings;
    std::vector<std::wstring> notes;
};

// What a proxy's or a script's finding ends with: on this computer, which the program itself
// switches off; or how it is reset by hand.
inline constexpr wchar_t OnThisComputer[] = L" (на этом компьютере: так делают вредоносные программы)";
inline constexpr wchar_t ResetByHand[] = L" (сброс: inetcpl.cpl, Подключения, Настройка сети)";

// The note on another installation: what of it was not looked at, its registry file loaded or not.
inline constexpr wchar_t OtherUnread[] =
    L"в /windir: проверены только hosts.ics и реестр SYSTEM той Windows (серверы имён, NRPT, Winsock); прокси "
    L"пользователей, WinHTTP и правила NRPT групповой политики (реестр SOFTWARE) не проверены";
inline constexpr wchar_t OtherSystemUnread[] =
    L"в /windir: проверен только hosts.ics: реестр той Windows не прочитан, прокси, серверы имён, NRPT и Winsock не "
    L"проверены";

// Reads every place of the lookup path but hosts itself. `windows`: the registry of the Windows
// the run works on, where its name servers, name resolution policy and Winsock catalog live
// (another installation's SYSTEM file loaded), or nullptr when it could not be loaded; `hostsPath`:
// its hosts file, hosts.ics beside it. Of another installation (`other`) only that file and
// hosts.ics are read: its users' and its SOFTWARE registry are not loaded, which a note says. A
// place that cannot be read is a note with the Windows error; the others are read all the same.
LookupReport ReadLookupPath(const Platform& s, WindowsRegistry* windows, const std::wstring& hostsPath, bool other);

bool AnyUndo(const std::vector<Finding>& findings);

// What came of switching off the findings that have an undo.
struct Undone {
    std::wstring regFile;  // where their old values are; empty when it could not be written: nothing is switched off then
    std::size_t done = 0;  // switched off, in their order
    std::optional<Failure> failure;
};
// Keeps the old values first, whole on the disk, in "hosts.yyyyMMdd-HHmmss.reg" beside `hostsPath`,
// which `reg import` takes back; then switches off each finding that has an undo, in order,
// stopping at the first failure.
Undone UndoFindings(const Platform& s, const std::vector<Finding>& findings, const std::wstring& hostsPath);

// The .reg file of the undos' old values: as regedit writes one, UTF-16 with its byte order mark,
// the keys as HKEY_CURRENT_USER\..., HKEY_USERS\S-1-5-21-...\..., HKEY_LOCAL_MACHINE\..., each
// value of its own type and bytes.
std::string RegFile(const std::vector<Undo>& undos);

// WinHttpSettings set to direct as `netsh winhttp reset proxy` writes it: the old value's version
// and counter, flags 1, both lists empty.
std::string DirectWinHttpSettings(std::string_view old);

// `other=`'s value: "none", or the kinds found, each once, in FindingKind's order, by commas.
std::wstring OtherField(const std::vector<Finding>& findings);

// The WinHTTP proxy as WinHttpSettings keeps it: a header of three 32-bit numbers (a version,
// a counter, the flags: 1 direct, 2 a proxy), then the proxy list and the bypass list, each a
// 32-bit length and that many single-byte characters.
struct WinHttpProxy {
    enum State { Direct, Named, Damaged };
    State state = Direct;
    std::string proxy, bypass;
};
WinHttpProxy DecodeWinHttpSettings(std::string_view value);

// Whether a proxy list ("host:port", "[::1]:8888", "http=...;https=...", with or without
// "scheme://") names this computer anywhere: 127.0.0.0/8, ::1 or localhost.
bool ProxyToThisComputer(std::wstring_view list);
// Whether an auto-config script's address is a file or on this computer.
bool ScriptOnThisComputer(std::wstring_view url);

// The DLL a Winsock protocol entry loads: the text PackedCatalogItem starts with (single-byte
// characters, up to its NUL, within the first MAX_PATH bytes).
std::string CatalogDllPath(std::string_view packed);
// Whether an expanded DLL path lies in the system folder itself (letter case aside).
bool InSystemFolder(std::wstring_view path, std::wstring_view systemDir);

// A loaded user's own hive under HKEY_USERS (S-1-5-21-...), not its classes or a service's.
bool IsUserHive(std::wstring_view name);
