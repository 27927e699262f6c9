#pragma once
// Beyond the hosts file: the other places that send a site elsewhere before or instead of it.
// The proxies (WinINET's per user, WinHTTP's per machine), an auto-config script, name servers
// set by hand, name resolution policy rules, Winsock providers, hosts.ics. Each is read, judged
// and named; only a proxy to this computer is plainly malware's, and undone.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a finding is about, in the order the RESULT line's `other=` names them.
enum class FindingKind { Ics, Proxy, Pac, WinHttp, Dns, Nrpt, Winsock };

struct Finding {
    FindingKind kind;
    std::wstring line;  // for people: printable, cut
};

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
