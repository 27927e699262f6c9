#include "lookup/LookupPath.h"

#include <algorithm>
#include <cstdint>
#include <tuple>

#include "app/Ascii.h"
#include "app/RegistryLists.h"
#include "hosts/HostsText.h"
#include "app/Addresses.h"
#include "lookup/LookupMessages.h"
#include "lookup/PlaceReader.h"
#include "lookup/Places.h"
#include "lookup/ProxyRules.h"
#include "lookup/UserPlaces.h"
#include "lookup/WinHttpSettings.h"
#include "lookup/WindowsRegistry.h"
#include "lookup/WinsockPlaces.h"

namespace {

// hosts.ics's entries listed, as /check lists hosts'.
constexpr std::size_t ListedIcsEntries = 10;
// An NRPT rule's ConfigOptions bit for its own name servers (GenericDNSServers); without it the
// rule does not send names to them.
constexpr std::uint32_t NrptGenericServers = 0x8;
// Windows 11's own DNS-over-HTTPS servers, the list it ships, each with its template: no finding.
constexpr std::pair<std::wstring_view, std::wstring_view> WindowsDohServers[] = {
    {L"1.1.1.1", L"https://cloudflare-dns.com/dns-query"}, {L"1.0.0.1", L"https://cloudflare-dns.com/dns-query"},
    {L"2606:4700:4700::1111", L"https://cloudflare-dns.com/dns-query"},
    {L"2606:4700:4700::1001", L"https://cloudflare-dns.com/dns-query"}, {L"8.8.8.8", L"https://dns.google/dns-query"},
    {L"8.8.4.4", L"https://dns.google/dns-query"}, {L"2001:4860:4860::8888", L"https://dns.google/dns-query"},
    {L"2001:4860:4860::8844", L"https://dns.google/dns-query"}, {L"9.9.9.9", L"https://dns.quad9.net/dns-query"},
    {L"149.112.112.112", L"https://dns.quad9.net/dns-query"}, {L"2620:fe::fe", L"https://dns.quad9.net/dns-query"},
    {L"2620:fe::fe:9", L"https://dns.quad9.net/dns-query"}};
// An adapter's server's DohFlags bit for a template of its own (DohTemplate); without it Windows
// takes the server's template from its list, judged there.
constexpr unsigned char DohOwnTemplate = 0x2;

// A list value's items, or a text value as one.
std::vector<std::wstring> Texts(const std::optional<RegistryValue>& value) {
    if (value && value->type == win::RegMultiSz) return RegistryList(value->bytes);
    const std::optional<std::wstring> text = RegistryKey::TextValue(value);
    return text ? std::vector{*text} : std::vector<std::wstring>{};
}

// A list value (REG_MULTI_SZ, or one text) as one line, its items by commas.
std::wstring ListText(const std::optional<RegistryValue>& value) {
    std::wstring list;
    for (const std::wstring& item : Texts(value))
        if (!item.empty()) list += (list.empty() ? L"" : L", ") + item;
    return list;
}

// Whether a server's template is the one Windows' own list gives it (letter case aside).
bool WindowsOwnDoh(const std::wstring& server, const std::wstring& uri) {
    return std::any_of(std::begin(WindowsDohServers), std::end(WindowsDohServers),
        [&](const auto& own) { return AsciiLower(server) == own.first && AsciiLower(uri) == own.second; });
}

// DohFlags is a REG_QWORD, as the DNS client reads it.
bool OwnDohTemplate(RegistryKey& key) {
    const std::optional<RegistryValue> flags = key.Read(L"DohFlags", ValueCap);
    return flags && flags->type == win::RegQword && flags->bytes.size() == sizeof(std::uint64_t) &&
           (static_cast<unsigned char>(flags->bytes[0]) & DohOwnTemplate);
}

// Windows' own names for the networks it shares a connection with (Hyper-V, WSL, the mobile
// hotspot): NAME.mshome.net at a private address.
class IcsOwnNames final : public MappingFilter {
public:
    bool Allows(std::string_view address, std::string_view name) const override {
        const std::optional<std::array<std::uint8_t, 4>> ip = Ipv4Of(address);
        return ip && IsPrivate(*ip) && AsciiLower(name).ends_with(".mshome.net");
    }
};

class Reader : public PlaceReader {
public:
    using PlaceReader::PlaceReader;

    void Ics(const std::wstring& hostsPath) {
        Guarded([&] {
            const IcsOwnNames windows;
            HostsScan scan(ListedIcsEntries, 0, &windows);
            if (!s_.files.ReadOrdinaryFile(hostsPath + L".ics", [&](std::string_view chunk) { scan.Add(chunk); }))
                return;
            scan.Finish();
            for (const std::string& line : scan.listed)
                Add({.kind = FindingKind::Ics, .value = Cut(s_.cp.ToWide(line))});
            if (scan.entries > scan.listed.size())
                Add({.kind = FindingKind::Ics, .more = scan.entries - scan.listed.size()});
        });
    }

    // Its own, and on 64-bit Windows the copy that 32-bit programs read.
    void WinHttp() {
        WinHttpProxyAt({win::HKeyLocalMachine, WinHttpConnections}, WinHttpOwn, L"netsh winhttp reset proxy");
        WinHttpProxyAt(
            {win::HKeyLocalMachine, WinHttp32Connections}, WinHttp32, L"%windir%\\SysWOW64\\netsh winhttp reset proxy");
    }

    void WinHttpProxyAt(const KeyPlace& place, const std::wstring& who, const std::wstring& reset) {
        Guarded([&] {
            const std::unique_ptr<RegistryKey> key = OpenPlace(s_.registry, place, win::KeyQueryValue);
            const std::optional<RegistryValue> value = key ? key->Read(WinHttpSettings, ValueCap) : std::nullopt;
            if (!value) return;
            const WinHttpProxy proxy = DecodeWinHttpSettings(value->bytes);
            if (proxy.state == WinHttpProxy::Direct) return;
            const std::wstring servers = s_.cp.ToWide(proxy.proxy), bypass = s_.cp.ToWide(proxy.bypass);
            const bool undo = proxy.state == WinHttpProxy::Named && ProxyToThisComputer(servers);
            Add({.kind = FindingKind::WinHttp,
                .where = who,
                .value = Cut(servers),
                .besides = Cut(bypass),
                .reset = reset,
                .undo =
                    undo ? std::optional(Undo{Undo::WinHttpDirect, place, {{WinHttpSettings, *value}}}) : std::nullopt,
                .damaged = proxy.state == WinHttpProxy::Damaged});
        });
    }

    // Set by hand for the whole computer and on each adapter, IPv4 and IPv6. Those DHCP gave are
    // in DhcpNameServer: no finding.
    void NameServers() {
        for (const auto& place :
            {std::tuple{L"Services\\Tcpip\\Parameters", L"IPv4", L"netsh interface ip set dns name=\"%\" source=dhcp"},
                {L"Services\\Tcpip6\\Parameters", L"IPv6",
                    L"netsh interface ipv6 set dnsservers name=\"%\" source=dhcp"}}) {
            // Named, not bound: a structured binding cannot be captured by the lambdas below in C++20.
            const std::wstring parameters = std::get<0>(place), version = std::get<1>(place),
                               reset = std::get<2>(place);
            Guarded([&] {
                if (const std::unique_ptr<RegistryKey> key = windows_->Open(parameters, win::KeyQueryValue))
                    NameServer(*key, AllAdapters + (L", " + version),
                        L"reg add \"HKLM\\SYSTEM\\CurrentControlSet\\" + parameters + L"\" /v NameServer /d \"\" /f");
            });
            EachSubKey(ControlSet(), parameters + L"\\Interfaces", [&](const std::wstring& guid, RegistryKey& key) {
                const std::wstring adapter = AdapterName(guid);
                std::wstring command = reset;
                if (!adapter.empty()) command.replace(command.find(L'%'), 1, adapter);
                NameServer(key, (adapter.empty() ? Cut(guid) : adapter) + L", " + version,
                    adapter.empty() ? AdapterPropertiesReset : command);
            });
        }
    }

    // Each rule: the names it covers and the servers it sends them to, where its options say it
    // uses them. While Group Policy holds rules, Windows uses none of the local ones: still named.
    void Nrpt(bool policyToo) {
        bool inactive = false;
        const auto rule = [&](const std::wstring& name, RegistryKey& key) {
            const bool generic = key.ReadNumber(L"ConfigOptions").value_or(0) & NrptGenericServers;
            Add({.kind = FindingKind::Nrpt,
                .where = Cut(name),
                .value = Cut(ListText(key.Read(L"Name", ValueCap))),
                .besides = generic ? Cut(key.ReadText(L"GenericDNSServers", ValueCap).value_or(L"")) : L"",
                .reset = L"Remove-DnsClientNrptRule -Name \"" + Cut(name) + L"\"",
                .inactive = inactive});
        };
        const std::size_t before = report.findings.size();
        if (policyToo) EachSubKey(Machine(), NrptPolicy, rule);
        inactive = report.findings.size() > before;
        EachSubKey(ControlSet(), NrptLocal, rule);
    }

    // DNS over HTTPS (Windows 11): templates beyond its own list, an adapter's own, each named with
    // the server it stands for; and the policy that allows, requires or prohibits it.
    void Doh(bool policyToo) {
        EachSubKey(ControlSet(), DohWellKnown, [&](const std::wstring& server, RegistryKey& key) {
            DohServer(DohKnownServers, server, key.ReadText(L"Template", ValueCap).value_or(L""),
                L"netsh dns delete encryption server=" + Cut(server));
        });
        EachSubKey(ControlSet(), DohInterfaces, [&](const std::wstring& guid, RegistryKey&) {
            const std::wstring adapter = AdapterName(guid);
            for (const auto& family :
                {std::pair{L"\\DohInterfaceSettings\\Doh", L", IPv4"}, {L"\\DohInterfaceSettings\\Doh6", L", IPv6"}}) {
                const std::wstring where = (adapter.empty() ? Cut(guid) : adapter) + family.second;
                EachSubKey(ControlSet(), DohInterfaces + (L"\\" + guid) + family.first,
                    [&](const std::wstring& server, RegistryKey& key) {
                        if (OwnDohTemplate(key))
                            DohServer(
                                where, server, key.ReadText(L"DohTemplate", ValueCap).value_or(L""), DohAdapterReset);
                    });
            }
        });
        if (policyToo) DohPolicy();
    }

    // Routes Windows puts back at every start, which `route -f` leaves: one to a public address,
    // or to every address, through this computer, through no gateway at all, or through one on no
    // network of the computer's is malware's way to cut sites off. Each value's name is
    // "address,mask,gateway,metric".
    void PersistentRoutes() {
        const std::vector<Network> networks = Networks();
        Guarded([&] {
            const std::unique_ptr<RegistryKey> key = windows_->Open(TcpipRoutes, win::KeyQueryValue);
            for (const std::wstring& route : key ? key->ValueNames() : std::vector<std::wstring>{}) {
                std::vector<std::string> parts(1);
                for (const char c : s_.cp.ToAnsi(route)) {
                    if (c == ',') parts.emplace_back();
                    else parts.back() += c;
                }
                if (parts.size() < 3) continue;
                const auto to = Ipv4Of(parts[0]), mask = Ipv4Of(parts[1]), via = Ipv4Of(parts[2]);
                if (!to || !mask || !via || !(IsPublic(*to) || *mask == std::array<std::uint8_t, 4>{})) continue;
                const bool reached = std::any_of(networks.begin(), networks.end(),
                    [&](const Network& n) { return SameNetwork(*via, n.address, n.mask); });
                if ((*via)[0] != 127 && *via != std::array<std::uint8_t, 4>{} && reached) continue;
                Add({.kind = FindingKind::Route,
                    .value = Cut(route),
                    .reset = L"route delete " + Cut(route.substr(0, route.find(L',')))});
            }
        });
    }

private:
    struct Network {
        std::array<std::uint8_t, 4> address, mask;
    };
    // The IPv4 networks of the adapters: set by hand, or given by DHCP.
    std::vector<Network> Networks() {
        std::vector<Network> networks;
        EachSubKey(ControlSet(), TcpipInterfaces, [&](const std::wstring&, RegistryKey& key) {
            for (const auto& [address, mask] :
                {std::pair{L"IPAddress", L"SubnetMask"}, {L"DhcpIPAddress", L"DhcpSubnetMask"}}) {
                const std::vector<std::wstring> addresses = Texts(key.Read(address, ValueCap)),
                                                masks = Texts(key.Read(mask, ValueCap));
                for (std::size_t i = 0; i < std::min(addresses.size(), masks.size()); ++i) {
                    const auto a = Ipv4Of(s_.cp.ToAnsi(addresses[i])), m = Ipv4Of(s_.cp.ToAnsi(masks[i]));
                    if (a && m && *a != std::array<std::uint8_t, 4>{}) networks.push_back({*a, *m});  // 0.0.0.0: DHCP's
                }
            }
        });
        return networks;
    }

    // The DNS client's policy (1 prohibits DNS over HTTPS, 2 allows it, 3 requires it), wherever it is set.
    void DohPolicy() {
        Guarded([&] {
            const std::unique_ptr<RegistryKey> key =
                OpenPlace(s_.registry, {win::HKeyLocalMachine, DnsClientPolicy}, win::KeyQueryValue);
            if (const std::optional<std::uint32_t> policy = key ? key->ReadNumber(L"DoHPolicy") : std::nullopt)
                Add({.kind = FindingKind::Doh,
                    .where = DohPolicyWhere,
                    .value = DohPolicyWords(*policy),
                    .reset = DohPolicyReset});
        });
    }

    // A server's template, unless it is Windows' own for that server.
    void DohServer(
        const std::wstring& where, const std::wstring& server, const std::wstring& uri, const std::wstring& reset) {
        if (uri.empty() || WindowsOwnDoh(server, uri)) return;
        Add({.kind = FindingKind::Doh, .where = where, .value = Cut(server), .besides = Cut(uri), .reset = reset});
    }

    void NameServer(RegistryKey& key, const std::wstring& where, const std::wstring& reset) {
        const std::wstring servers = key.ReadText(L"NameServer", ValueCap).value_or(L"");
        if (servers.find_first_not_of(L" ,") == servers.npos) return;
        Add({.kind = FindingKind::Dns, .where = where, .value = Cut(servers), .reset = reset});
    }
};

}  // namespace

LookupReport ReadLookupPath(const Platform& s, WindowsRegistry* windows, const std::wstring& hostsPath, bool other) {
    Reader reader(s, windows);
    reader.Ics(hostsPath);
    if (other) reader.report.notes.push_back(windows ? OtherUnread : OtherSystemUnread);
    else ReadUsers(reader), reader.WinHttp();
    if (windows)
        reader.NameServers(), reader.Nrpt(!other), ReadWinsock(reader), reader.PersistentRoutes(), reader.Doh(!other);
    return reader.report;
}
