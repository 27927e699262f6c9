#include "hosts/LookupPath.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <functional>
#include <set>
#include <tuple>

#include "app/Ascii.h"
#include "app/RegistryLists.h"
#include "hosts/HostsStore.h"
#include "hosts/HostsText.h"
#include "hosts/Resolver.h"

namespace {

constexpr const wchar_t* KindWords[] = {L"ics", L"proxy", L"pac", L"winhttp", L"dns", L"nrpt", L"winsock"};
constexpr std::size_t MaxPath = 260;
constexpr std::uint32_t DirectFlag = 1, NamedProxyFlag = 2;
// The most of a value that is read: far beyond any proxy list, rule or catalog entry.
constexpr std::uint32_t ValueCap = 1u << 16;
// hosts.ics's entries listed, as /check lists hosts'.
constexpr std::size_t ListedIcsEntries = 10;

// Per user (under HKCU, or a user's hive under HKU), or for the whole computer (under HKLM).
constexpr wchar_t InternetSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr wchar_t ProxyPolicy[] = L"SOFTWARE\\Policies\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr wchar_t WinHttpConnections[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";
constexpr wchar_t NrptPolicy[] = L"SOFTWARE\\Policies\\Microsoft\\Windows NT\\DNSClient\\DnsPolicyConfig";
// Under the control set.
constexpr wchar_t NrptLocal[] = L"Services\\Dnscache\\Parameters\\DnsPolicyConfig";
constexpr wchar_t AdapterNames[] = L"Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\";
constexpr wchar_t WinsockProtocols[] = L"Services\\WinSock2\\Parameters\\Protocol_Catalog9\\";
constexpr wchar_t WinsockNamespaces[] = L"Services\\WinSock2\\Parameters\\NameSpace_Catalog5\\";

constexpr wchar_t ProxyEnable[] = L"ProxyEnable", ProxyServer[] = L"ProxyServer", AutoConfigUrl[] = L"AutoConfigURL",
                  WinHttpSettings[] = L"WinHttpSettings";


// The host of "[scheme://]host[:port][/path]", or of "[v6]:port".
std::wstring_view HostOf(std::wstring_view server) {
    if (const std::size_t scheme = server.find(L"://"); scheme != server.npos) server.remove_prefix(scheme + 3);
    if (server.starts_with(L'[')) return server.substr(1, server.find(L']') - 1);
    return server.substr(0, server.find_first_of(L":/"));
}

bool IsLoopback(std::wstring_view host) {
    if (host.ends_with(L'.')) host.remove_suffix(1);
    return host == L"localhost" || host == L"::1" || host.starts_with(L"127.");
}

}  // namespace

std::wstring OtherField(const std::vector<Finding>& findings) {
    std::wstring field;
    for (std::size_t kind = 0; kind < std::size(KindWords); ++kind)
        if (std::any_of(findings.begin(), findings.end(), [&](const Finding& f) { return static_cast<std::size_t>(f.kind) == kind; }))
            field += (field.empty() ? L"" : L",") + std::wstring(KindWords[kind]);
    return field.empty() ? L"none" : field;
}

WinHttpProxy DecodeWinHttpSettings(std::string_view value) {
    WinHttpProxy settings;
    std::size_t at = 0;
    const auto number = [&](std::uint32_t& n) {
        if (value.size() - at < 4) return false;
        n = 0;
        for (int i = 3; i >= 0; --i) n = n << 8 | static_cast<unsigned char>(value[at + i]);
        at += 4;
        return true;
    };
    const auto text = [&](std::string& s) {
        std::uint32_t length = 0;
        if (!number(length) || value.size() - at < length) return false;
        s = value.substr(at, length);
        at += length;
        return true;
    };
    std::uint32_t version = 0, counter = 0, flags = 0;
    if (!number(version) || !number(counter) || !number(flags) || !text(settings.proxy) || !text(settings.bypass))
        settings.state = WinHttpProxy::Damaged;
    else if (flags & NamedProxyFlag)
        settings.state = WinHttpProxy::Named;
    return settings;
}

bool ProxyToThisComputer(std::wstring_view list) {
    const std::wstring lower = AsciiLower(list);
    for (std::size_t at = 0; at < lower.size();) {
        const std::size_t end = std::min(lower.find_first_of(L"; \t", at), lower.size());
        std::wstring_view server = std::wstring_view(lower).substr(at, end - at);
        if (const std::size_t equals = server.find(L'='); equals != server.npos) server.remove_prefix(equals + 1);
        if (!server.empty() && IsLoopback(HostOf(server))) return true;
        at = end + 1;
    }
    return false;
}

bool ScriptOnThisComputer(std::wstring_view url) {
    const std::wstring lower = AsciiLower(url);
    return lower.starts_with(L"file:") || IsLoopback(HostOf(lower));
}

std::string CatalogDllPath(std::string_view packed) {
    packed = packed.substr(0, MaxPath);
    return std::string(packed.substr(0, packed.find('\0')));
}

bool InSystemFolder(std::wstring_view path, std::wstring_view systemDir) {
    return AsciiLower(path.substr(0, path.rfind(L'\\'))) == AsciiLower(systemDir);  // a bare name is searched for: never
}

bool IsUserHive(std::wstring_view name) {
    return name.starts_with(L"S-1-5-21-") && !AsciiLower(name).ends_with(L"_classes");
}

namespace {

std::wstring RootName(std::int32_t root) {
    return root == win::HKeyCurrentUser ? L"HKEY_CURRENT_USER" : root == win::HKeyUsers ? L"HKEY_USERS" : L"HKEY_LOCAL_MACHINE";
}

// A key of the running Windows, in its native view: 64-bit Windows' services read HKLM\SOFTWARE
// there, not in the copy that WOW64 shows this 32-bit program.
std::unique_ptr<RegistryKey> OpenPlace(Registry& registry, const KeyPlace& place, std::uint32_t access) {
    return registry.Open(place.root, place.path, access | win::KeyWow64_64Key);
}

// A list value (REG_MULTI_SZ, or one text) as one line, its items by commas.
std::wstring ListText(const std::optional<RegistryValue>& value) {
    if (!value || value->type != win::RegMultiSz) return RegistryKey::TextValue(value).value_or(L"");
    std::wstring list;
    for (const std::wstring& item : RegistryList(value->bytes))
        if (!item.empty()) list += (list.empty() ? L"" : L", ") + item;
    return list;
}

using Opener = std::function<std::unique_ptr<RegistryKey>(const std::wstring& path, std::uint32_t access)>;

class Reader {
public:
    Reader(const Platform& s, WindowsRegistry* windows) : s_(s), windows_(windows) {}

    LookupReport report;

    void Ics(const std::wstring& hostsPath) {
        Guarded([&] {
            HostsScan scan(ListedIcsEntries);
            if (!s_.files.ReadOrdinaryFile(hostsPath + L".ics", [&](std::string_view chunk) { scan.Add(chunk); })) return;
            scan.Finish();
            for (const std::string& line : scan.listed) Add(FindingKind::Ics, L"hosts.ics: " + Cut(s_.cp.ToWide(line)));
            if (scan.entries > scan.listed.size())
                Add(FindingKind::Ics, L"hosts.ics: и ещё " + std::to_wstring(scan.entries - scan.listed.size()) + L" записей");
        });
    }

    // The current user's; when the run is SYSTEM's, a fleet's, every loaded user's too; and the
    // whole computer's where a policy makes them so.
    void Proxies() {
        InternetOptions({win::HKeyCurrentUser, InternetSettings}, L"пользователь", true);
        Guarded([&] {
            if (!s_.processes.Rights().localSystem) return;
            const std::unique_ptr<RegistryKey> users = s_.registry.Open(win::HKeyUsers, L"", win::KeyEnumerateSubKeys);
            for (const std::wstring& user : users ? users->SubKeys() : std::vector<std::wstring>{})
                if (IsUserHive(user))
                    InternetOptions({win::HKeyUsers, user + L"\\" + InternetSettings}, L"пользователь " + Cut(user), true);
        });
        Guarded([&] {
            const std::unique_ptr<RegistryKey> policy = OpenPlace(s_.registry, {win::HKeyLocalMachine, ProxyPolicy}, win::KeyQueryValue);
            if (policy && policy->ReadNumber(L"ProxySettingsPerUser") == 0u)
                InternetOptions({win::HKeyLocalMachine, InternetSettings}, L"весь компьютер", false);
        });
    }

    void WinHttp() {
        Guarded([&] {
            const KeyPlace place{win::HKeyLocalMachine, WinHttpConnections};
            const std::unique_ptr<RegistryKey> key = OpenPlace(s_.registry, place, win::KeyQueryValue);
            const std::optional<RegistryValue> value = key ? key->Read(WinHttpSettings, ValueCap) : std::nullopt;
            if (!value) return;
            const WinHttpProxy proxy = DecodeWinHttpSettings(value->bytes);
            if (proxy.state == WinHttpProxy::Direct) return;
            const std::wstring servers = s_.cp.ToWide(proxy.proxy), bypass = s_.cp.ToWide(proxy.bypass);
            const bool undo = proxy.state == WinHttpProxy::Named && ProxyToThisComputer(servers);
            Add(FindingKind::WinHttp,
                L"прокси WinHTTP (службы Windows, обновления): " +
                    (proxy.state == WinHttpProxy::Damaged ? L"значение WinHttpSettings повреждено"
                                                          : Cut(servers) + (bypass.empty() ? L"" : L", кроме " + Cut(bypass))) +
                    (undo ? OnThisComputer : L" (сброс: netsh winhttp reset proxy)"),
                undo ? std::optional(Undo{Undo::WinHttpDirect, place, {{WinHttpSettings, *value}}}) : std::nullopt);
        });
    }

    // Set by hand for the whole computer and on each adapter, IPv4 and IPv6. Those DHCP gave are
    // in DhcpNameServer: no finding.
    void NameServers() {
        for (const auto& place :
             {std::tuple{L"Services\\Tcpip\\Parameters", L"IPv4", L"netsh interface ip set dns name=\"%\" source=dhcp"},
              {L"Services\\Tcpip6\\Parameters", L"IPv6", L"netsh interface ipv6 set dnsservers name=\"%\" source=dhcp"}}) {
            // Named, not bound: a structured binding cannot be captured by the lambdas below in C++20.
            const std::wstring parameters = std::get<0>(place), version = std::get<1>(place), reset = std::get<2>(place);
            Guarded([&] {
                if (const std::unique_ptr<RegistryKey> key = windows_->Open(parameters, win::KeyQueryValue))
                    NameServer(*key, std::wstring(L"все адаптеры, ") + version,
                               L"reg add \"HKLM\\SYSTEM\\CurrentControlSet\\" + parameters + L"\" /v NameServer /d \"\" /f");
            });
            EachSubKey(ControlSet(), parameters + L"\\Interfaces", [&](const std::wstring& guid, RegistryKey& key) {
                const std::wstring adapter = AdapterName(guid);
                std::wstring command = reset;
                if (!adapter.empty()) command.replace(command.find(L'%'), 1, adapter);
                NameServer(key, (adapter.empty() ? Cut(guid) : adapter) + L", " + version,
                           adapter.empty() ? L"в свойствах адаптера: получать адрес DNS-сервера автоматически" : command);
            });
        }
    }

    // Each rule: the names it covers and the servers it sends them to.
    void Nrpt(bool policyToo) {
        const auto rule = [&](const std::wstring& name, RegistryKey& key) {
            const std::wstring servers = key.ReadText(L"GenericDNSServers", ValueCap).value_or(L"");
            Add(FindingKind::Nrpt, L"правило NRPT \"" + Cut(name) + L"\": " + Cut(ListText(key.Read(L"Name", ValueCap))) +
                                       L" -> " + (servers.empty() ? L"серверы имён не заданы" : Cut(servers)) +
                                       L" (удалить: групповой политикой или Remove-DnsClientNrptRule -Name \"" +
                                       Cut(name) + L"\")");
        };
        if (policyToo) EachSubKey(Machine(), NrptPolicy, rule);
        EachSubKey(ControlSet(), NrptLocal, rule);
    }

    // The DLLs of the protocol and namespace providers, each once, where they lie outside the
    // system folder. Paths are expanded as Windows' own services expand them.
    void Winsock() {
        const std::wstring system = windows_->WindowsFolder() + L"\\System32";
        std::set<std::wstring> seen;
        const auto judge = [&](const std::wstring& path) {
            const std::wstring dll = windows_->Expanded(path);
            if (dll.empty() || InSystemFolder(dll, system) || !seen.insert(AsciiLower(dll)).second) return;
            Add(FindingKind::Winsock, L"поставщик Winsock не из системной папки: " + Cut(dll) + L" (сброс: netsh winsock reset)");
        };
        for (const wchar_t* entries : {L"Catalog_Entries", L"Catalog_Entries64"}) {
            EachSubKey(ControlSet(), WinsockProtocols + std::wstring(entries), [&](const std::wstring&, RegistryKey& key) {
                if (const std::optional<RegistryValue> packed = key.Read(L"PackedCatalogItem", ValueCap))
                    judge(s_.cp.ToWide(CatalogDllPath(packed->bytes)));
            });
            EachSubKey(ControlSet(), WinsockNamespaces + std::wstring(entries), [&](const std::wstring&, RegistryKey& key) {
                judge(key.ReadText(L"LibraryPath", ValueCap).value_or(L""));
            });
        }
    }

private:
    // A place that cannot be read is noted, with what it was and the Windows error; the others go on.
    void Guarded(const std::function<void()>& read) {
        try {
            read();
        } catch (const Failure& f) {
            report.notes.push_back(L"не прочитано: " + Cut(f.Subject()) + L": ошибка " + std::to_wstring(f.Code()) + L": " +
                                   s_.env.ErrorText(f.Code()));
        }
    }
    void Add(FindingKind kind, const std::wstring& line, std::optional<Undo> undo = {}) {
        report.findings.push_back({kind, line, std::move(undo)});
    }
    Opener Machine() {
        return [this](const std::wstring& path, std::uint32_t access) {
            return OpenPlace(s_.registry, {win::HKeyLocalMachine, path}, access);
        };
    }
    Opener ControlSet() {
        return [this](const std::wstring& path, std::uint32_t access) { return windows_->Open(path, access); };
    }
    // Each subkey of `path`, opened to be read.
    void EachSubKey(const Opener& open, const std::wstring& path,
                    const std::function<void(const std::wstring& name, RegistryKey& key)>& take) {
        Guarded([&] {
            const std::unique_ptr<RegistryKey> parent = open(path, win::KeyEnumerateSubKeys);
            for (const std::wstring& name : parent ? parent->SubKeys() : std::vector<std::wstring>{})
                Guarded([&] {
                    if (const std::unique_ptr<RegistryKey> key = open(path + L"\\" + name, win::KeyQueryValue)) take(name, *key);
                });
        });
    }

    // A proxy for every page and an auto-config script; undone only where a user's points here.
    void InternetOptions(const KeyPlace& place, const std::wstring& who, bool perUser) {
        Guarded([&] {
            const std::unique_ptr<RegistryKey> key = OpenPlace(s_.registry, place, win::KeyQueryValue);
            if (!key) return;
            const std::optional<RegistryValue> enable = key->Read(ProxyEnable, ValueCap), server = key->Read(ProxyServer, ValueCap),
                                               script = key->Read(AutoConfigUrl, ValueCap);
            const std::wstring proxy = RegistryKey::TextValue(server).value_or(L""),
                               url = RegistryKey::TextValue(script).value_or(L"");
            if (RegistryKey::NumberValue(enable).value_or(0) != 0 && !proxy.empty()) {
                const bool undo = perUser && ProxyToThisComputer(proxy);
                Add(FindingKind::Proxy,
                    L"прокси для всех страниц (" + who + L"): " + Cut(proxy) +
                        (undo ? OnThisComputer : ResetByHand),
                    undo ? std::optional(Undo{Undo::ProxyOff, place, {{ProxyEnable, *enable}, {ProxyServer, *server}}})
                         : std::nullopt);
            }
            if (url.empty()) return;
            const bool undo = perUser && ScriptOnThisComputer(url);
            Add(FindingKind::Pac,
                L"сценарий настройки прокси (" + who + L"): " + Cut(url) +
                    (undo ? OnThisComputer : ResetByHand),
                undo ? std::optional(Undo{Undo::ScriptOff, place, {{AutoConfigUrl, *script}}}) : std::nullopt);
        });
    }

    void NameServer(RegistryKey& key, const std::wstring& where, const std::wstring& reset) {
        const std::wstring servers = key.ReadText(L"NameServer", ValueCap).value_or(L"");
        if (servers.find_first_not_of(L" ,") == servers.npos) return;
        Add(FindingKind::Dns, L"серверы имён заданы вручную (" + where + L"): " + Cut(servers) + L" (сброс: " + reset + L")");
    }

    // The name Windows shows for an adapter; empty where it keeps none.
    std::wstring AdapterName(const std::wstring& guid) {
        std::wstring name;
        Guarded([&] {
            if (const std::unique_ptr<RegistryKey> key = windows_->Open(AdapterNames + guid + L"\\Connection", win::KeyQueryValue))
                name = Cut(key->ReadText(L"Name", ValueCap).value_or(L""));
        });
        return name;
    }

    const Platform& s_;
    WindowsRegistry* windows_;
};

// regedit's way of writing a value's name or text: in quotes, a backslash and a quote escaped.
std::wstring Quoted(const std::wstring& text) {
    std::wstring quoted = L"\"";
    for (wchar_t c : text) quoted += c == L'\\' || c == L'"' ? std::wstring{L'\\', c} : std::wstring{c};
    return quoted + L"\"";
}

// A value as regedit writes it: dword:, a text in quotes, else its bytes in hex with its type.
// A text that quotes cannot give back byte for byte (no NUL at its end, one inside, a line break) goes in hex too.
std::wstring RegData(const RegistryValue& value) {
    wchar_t number[16];
    if (const std::optional<std::uint32_t> dword = RegistryKey::NumberValue(value)) {
        std::swprintf(number, 16, L"dword:%08x", static_cast<unsigned>(*dword));
        return number;
    }
    const std::wstring text = RegistryText(value.bytes);
    if (value.type == win::RegSz && RegistryBytes(text) == value.bytes && text.find_first_of(L"\r\n") == text.npos)
        return Quoted(text);
    std::swprintf(number, 16, L"hex(%x):", static_cast<unsigned>(value.type));
    std::wstring data = value.type == win::RegBinary ? L"hex:" : number;
    for (std::size_t at = 0; at < value.bytes.size(); ++at) {
        std::swprintf(number, 16, L"%02x", static_cast<unsigned>(static_cast<unsigned char>(value.bytes[at])));
        data += (at ? L"," : L"") + std::wstring(number);
    }
    return data;
}

std::string LittleEndian(std::uint32_t n) {
    return {static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16), static_cast<char>(n >> 24)};
}

void SwitchOff(Registry& registry, const Undo& undo) {
    const std::unique_ptr<RegistryKey> key = OpenPlace(registry, undo.key, win::KeySetValue);
    if (!key) throw Failure(win::ErrorFileNotFound, RootName(undo.key.root) + L"\\" + undo.key.path);
    switch (undo.action) {
    case Undo::ProxyOff:
        return key->Write(ProxyEnable, {win::RegDword, LittleEndian(0)});
    case Undo::ScriptOff:
        return key->Delete(AutoConfigUrl);
    case Undo::WinHttpDirect:
        return key->Write(WinHttpSettings, {win::RegBinary, DirectWinHttpSettings(undo.old.at(0).second.bytes)});
    }
}

}  // namespace

LookupReport ReadLookupPath(const Platform& s, WindowsRegistry* windows, const std::wstring& hostsPath, bool other) {
    Reader reader(s, windows);
    reader.Ics(hostsPath);
    if (other) reader.report.notes.push_back(windows ? OtherUnread : OtherSystemUnread);
    else reader.Proxies(), reader.WinHttp();
    if (windows) reader.NameServers(), reader.Nrpt(!other), reader.Winsock();
    return reader.report;
}

bool AnyUndo(const std::vector<Finding>& findings) {
    return std::any_of(findings.begin(), findings.end(), [](const Finding& f) { return f.undo.has_value(); });
}

Undone UndoFindings(const Platform& s, const std::vector<Finding>& findings, const std::wstring& hostsPath) {
    std::vector<Undo> undos;
    for (const Finding& f : findings)
        if (f.undo) undos.push_back(*f.undo);
    Undone undone;
    try {
        undone.regFile = WriteStamped(s.files, hostsPath, s.clock.Now(), L".reg", RegFile(undos));
        for (const Undo& undo : undos) {
            SwitchOff(s.registry, undo);
            ++undone.done;
        }
    } catch (const Failure& f) {
        undone.failure = f;
    }
    return undone;
}

std::string RegFile(const std::vector<Undo>& undos) {
    std::wstring text = L"Windows Registry Editor Version 5.00\r\n\r\n";
    for (const Undo& undo : undos) {
        text += L"[" + RootName(undo.key.root) + L"\\" + undo.key.path + L"]\r\n";
        for (const auto& [name, value] : undo.old) text += Quoted(name) + L"=" + RegData(value) + L"\r\n";
        text += L"\r\n";
    }
    const std::string bytes = RegistryBytes(text);
    return "\xFF\xFE" + bytes.substr(0, bytes.size() - 2);  // the byte order mark; no NUL at the end
}

std::string DirectWinHttpSettings(std::string_view old) {
    std::string header(old.substr(0, 8));
    header.resize(8, '\0');
    return header + LittleEndian(DirectFlag) + LittleEndian(0) + LittleEndian(0);
}
