// The lookup room: the other places on a name's way to its address, their values' bytes, what is
// judged malware's, the words of each finding, and the registry of the Windows a run works on.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "lookup/ConnectionSettings.h"
#include "lookup/LookupMessages.h"
#include "lookup/LookupPath.h"
#include "lookup/WinsockPlaces.h"
#include "lookup/ProxyRules.h"
#include "lookup/Undo.h"
#include "lookup/WinHttpSettings.h"
#include "lookup/WindowsRegistry.h"

namespace {

std::string Number(std::uint32_t n) {
    return {static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16), static_cast<char>(n >> 24)};
}
std::string Text(const std::string& s) { return Number(static_cast<std::uint32_t>(s.size())) + s; }

TEST(WinHttpSettings, DecodedOnlyWhenWholeAProxyOnlyWithItsFlag) {
    const std::string header = Number(0x28) + Number(7);
    // clang-format off
    const struct {
        const char* name;
        std::string value;
        WinHttpProxy::State state;
        std::string proxy, bypass;
    }
    // clang-format off
        cases[] = {
        {"direct", header + Number(1) + Text("") + Text(""), WinHttpProxy::Direct, "", ""},
        {"a proxy among other flags", header + Number(3) + Text("127.0.0.1:8080") + Text(""), WinHttpProxy::Named,
         "127.0.0.1:8080", ""},
        {"a proxy per scheme, a bypass list", header + Number(2) + Text("http=p:1;https=p:2") + Text("*.corp;<local>"),
         WinHttpProxy::Named, "http=p:1;https=p:2", "*.corp;<local>"},
        {"cut in the proxy list", header + Number(2) + Text("proxy:80").substr(0, 9), WinHttpProxy::Damaged, "", ""},
        {"no bypass list", header + Number(2) + Text("p:1"), WinHttpProxy::Damaged, "p:1", ""},
    };
    // clang-format on
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const WinHttpProxy decoded = DecodeWinHttpSettings(c.value);
        EXPECT_EQ(decoded.state, c.state);
        EXPECT_EQ(decoded.proxy + "|" + decoded.bypass, c.proxy + "|" + c.bypass);
    }
}

// A connection's value: each flag; a value cut at any byte before its script's end, or with a
// length past its end, is damaged; WinINET's own fields after the script are no damage. The
// switch-off clears the proxy and the script, keeps the rest, and moves the counter on.
TEST(ConnectionSettings, DecodedOnlyWhenWholeSwitchedOffWithItsCounterMovedOn) {
    const std::string whole = Number(0x46) + Number(9) + Number(0xF) + Text("127.0.0.1:8080") + Text("<local>") +
                              Text("file://C:/p.pac") + std::string(32, '\x01');
    const ConnectionSettings decoded = DecodeConnectionSettings(whole);
    EXPECT_FALSE(decoded.damaged);
    EXPECT_EQ(decoded.flags, 0xFu);
    EXPECT_EQ(decoded.proxy + "|" + decoded.bypass + "|" + decoded.script, "127.0.0.1:8080|<local>|file://C:/p.pac");
    for (std::size_t cut = 0; cut < whole.size() - 32; ++cut)
        EXPECT_TRUE(DecodeConnectionSettings(whole.substr(0, cut)).damaged) << cut;
    EXPECT_TRUE(DecodeConnectionSettings(Number(0x46) + Number(9) + Number(2) + Number(0xFFFFFFF0) + "x").damaged);
    EXPECT_EQ(ConnectionSwitchedOff(whole), Number(0x46) + Number(10) + Number(9) + whole.substr(12));
}

TEST(ProxyRules, OnlyALoopbackOrAFileScriptIsThisComputer) {
    // clang-format off
    const struct { const char* name; const wchar_t* value; bool proxy, script; } cases[] = {
        {"IPv4 loopback", L"127.0.0.1:8080", true, true},
        {"localhost in other letters", L"LocalHost:3128", true, true},
        {"localhost with its root dot", L"localhost.", true, true},
        {"IPv6 loopback in brackets", L"[::1]:8888", true, true},
        {"a company's proxy", L"proxy.corp.example:3128", false, false},
        {"one of a per-scheme list is enough", L"http=proxy.corp:80;https=127.0.0.1:8443", true, false},
        {"with a scheme and a path", L"http://127.0.0.1:9000/proxy.pac", true, true},
        {"a loopback only in the path", L"http://pac.corp/127.0.0.1.pac", false, false},
        {"a file script", L"FILE:///C:/Users/u/AppData/p.pac", false, true},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ProxyToThisComputer(c.value), c.proxy);
        EXPECT_EQ(ScriptOnThisComputer(c.value), c.script);
    }
}

// Its path is read within MAX_PATH, and only the system folder itself is the system's.
TEST(LookupPath, AWinsockDllIsItsCatalogPathJudgedByItsOwnFolder) {
    EXPECT_EQ(CatalogDllPath(std::string(300, 'a')), std::string(260, 'a'));
    EXPECT_FALSE(InSystemFolder(L"C:\\Windows\\System32\\drivers\\x.dll", L"C:\\WINDOWS\\system32"));
}

// The places as the fake registry keeps them.
const std::string User = UserSettings, Settings = User.substr(5),
                  WinHttpKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections",
                  Set = "SYSTEM\\CurrentControlSet\\Services\\", Tcpip = Set + "Tcpip",
                  Protocols = Set + "WinSock2\\Parameters\\Protocol_Catalog9\\Catalog_Entries\\",
                  Hive = "HKU\\S-1-5-21-7-1001", Control = "SYSTEM\\CurrentControlSet\\Control\\",
                  Nrpt = Set + "Dnscache\\Parameters\\DnsPolicyConfig\\",
                  Doh = Set + "Dnscache\\Parameters\\DohWellKnownServers\\",
                  DohA = Set + "Dnscache\\InterfaceSpecificParameters\\{A}\\DohInterfaceSettings\\Doh\\",
                  DohB = Set + "Dnscache\\InterfaceSpecificParameters\\{B}\\DohInterfaceSettings\\Doh6\\";
const RegistryValue On{4, Number(1)};
RegistryValue ExpandSz(std::wstring_view text) { return {2, Utf16(text)}; }
RegistryValue Qword(std::uint32_t n) { return {11, Number(n) + Number(0)}; }
const RegistryValue Evil = Sz(L"https://evil.example/q");
RegistryValue Catalog(const std::string& dll) { return {3, dll + std::string("\0\x01", 2)}; }
const std::string WinHttpHere = Number(0x28) + Number(7) + Number(3) + Text("127.0.0.1:3128") + Text("<local>");

// Each finding as the user reads it. One row a kind, with what is no finding beside it. "!": it
// has an undo, and says it is on this computer.
TEST(LookupPath, EachPlaceReadJudgedAndWorded) {
    const std::wstring here = L" (на этом компьютере: так делают вредоносные программы)",
                       byHand = L" (сброс: inetcpl.cpl, Подключения, Настройка сети)",
                       Route =
                           L"постоянный маршрут мимо сети: через этот компьютер, в никуда или через шлюз не из сетей "
                           L"компьютера (адрес, маска, шлюз, метрика): ",
                       DohByHand =
                           L" (сброс: Параметры, Сеть и Интернет, адаптер, Назначение DNS-сервера: "
                           L"Изменить, без шифрования)";
    const auto Remove = [](const std::wstring& rule) {
        return L" (удалить: групповой политикой или Remove-DnsClientNrptRule -Name \"" + rule + L"\")";
    };
    // `system`: the run is SYSTEM's.
    // clang-format off
    const struct {
        const char* name;
        FakeSystem::Keys keys;
        std::vector<std::wstring> lines;
        Files files = {};
        bool system = false, domain = false;
    } cases[] = {
        {.name = "a proxy switched off is none; a script elsewhere is reset by hand",
            .keys = {{User, {{"ProxyServer", Sz(L"127.0.0.1:1")}, {"AutoConfigURL", Sz(L"http://wpad.corp/p.pac")}}}},
            .lines = {L"сценарий настройки прокси (пользователь): http://wpad.corp/p.pac" + byHand}},
        {.name = "SYSTEM's run: each user's own hive, not its classes or a service's",
            .keys = {{Hive + "\\" + Settings, {{"ProxyEnable", On}, {"ProxyServer", Sz(L"localhost:3128")}}},
                {Hive + "_Classes\\" + Settings, {{"AutoConfigURL", Sz(L"file:x")}}},
                {"HKU\\S-1-5-18\\" + Settings, {{"AutoConfigURL", Sz(L"file:y")}}}},
            .lines = {L"!прокси для всех страниц (пользователь S-1-5-21-7-1001): localhost:3128" + here},
            .system = true},
        {.name = "a policy makes them the whole computer's: reset by hand, never switched off",
            .keys = {{"SOFTWARE\\Policies\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                         {{"ProxySettingsPerUser", {4, Number(0)}}}},
                {Settings + "\\Connections",
                    {{"WinHttpSettings", {3, Number(0x28) + Number(7) + Number(1) + Text("") + Text("")}}}},
                {Settings,
                    {{"ProxyEnable", On}, {"ProxyServer", Sz(L"127.0.0.1:1")}, {"AutoConfigURL", Sz(L"file:z")}}}},
            .lines = {L"прокси закреплён за всем компьютером (ProxySettingsPerUser = 0), а компьютер не в домене: так "
                      L"вредоносные программы не дают сменить прокси (сброс: reg delete \"HKLM\\SOFTWARE\\Policies\\"
                      L"Microsoft\\Windows\\CurrentVersion\\Internet Settings\" /v ProxySettingsPerUser /f)",
                L"прокси для всех страниц (весь компьютер): 127.0.0.1:1" + byHand,
                L"сценарий настройки прокси (весь компьютер): file:z" + byHand}},
        {.name = "in a domain that policy is the company's", .keys = {{"SOFTWARE\\Policies\\Microsoft\\Windows\\"
            "CurrentVersion\\Internet Settings", {{"ProxySettingsPerUser", {4, Number(0)}}}}}, .lines = {}, .domain = true},
        // What browsers read: each connection's value, named after it; the mirrors say nothing here.
        {.name = "the local network's proxy here, a PPPoE entry's script elsewhere, a damaged value, another type",
            .keys = {{User + "\\Connections", {
                {"DefaultConnectionSettings", {3, Number(0x46) + Number(1) + Number(3) + Text("[::1]:8888") +
                                                      Text("") + Text("")}},
                {"PPPoE Beeline", {3, Number(0x46) + Number(1) + Number(5) + Text("p:1") + Text("") + Text("http://w/p")}},
                {"SavedLegacySettings", {3, Number(0x46) + Number(1)}}, {"Other", Sz(L"x")}}}},
            .lines = {L"!прокси для всех страниц (пользователь, локальная сеть): [::1]:8888" + here,
                L"сценарий настройки прокси (пользователь, подключение \"PPPoE Beeline\"): http://w/p" + byHand,
                L"прокси для всех страниц (пользователь, сохранённая копия настроек локальной сети): значение "
                L"SavedLegacySettings в Connections повреждено" + byHand}},
        {.name = "hosts.ics: Windows' own shared-connection names at private addresses are none",
            .lines = {L"hosts.ics: 8.8.8.8 evil.mshome.net", L"hosts.ics: 172.32.0.1 pc.mshome.net"},
            .files = {{H + L".ics", "192.168.137.1 PC.mshome.net\r\n172.31.0.5 wsl.MSHOME.net\r\n8.8.8.8 "
                                    "evil.mshome.net\r\n172.32.0.1 pc.mshome.net\r\n"}}},
        {.name = "persistent routes: to every address or a public one, through this computer, nowhere or off the "
                 "networks; a gateway on an adapter's network by hand or by DHCP is none",
            .keys = {{Tcpip + "\\Parameters\\PersistentRoutes", {{"0.0.0.0,0.0.0.0,127.0.0.1,1", Sz(L"")},
                {"1.2.3,255.0.0.0,127.0.0.1,1", Sz(L"")}, {"10.0.0.0,255.0.0.0,0.0.0.0,1", Sz(L"")},
                {"77.88.55.60,255.255.255.255,0.0.0.0,1", Sz(L"")}, {"8.8.8.8,255.255.255.255,192.168.1.1,1", Sz(L"")},
                {"8.8.4.4,255.255.255.255,10.1.0.1,1", Sz(L"")}, {"1.1.1.1,255.255.255.255,10.9.9.9,1", Sz(L"")}}},
                {Tcpip + "\\Parameters\\Interfaces\\{A}", {{"DhcpIPAddress", Sz(L"192.168.1.5")},
                    {"DhcpSubnetMask", Sz(L"255.255.255.0")}, {"IPAddress", {7, Utf16(L"0.0.0.0") + Utf16(L"10.1.2.3") +
                    std::string(2, '\0')}}, {"SubnetMask", {7, Utf16(L"0.0.0.0") + Utf16(L"255.255.0.0") + std::string(2, '\0')}}}}},
            .lines = {Route + L"0.0.0.0,0.0.0.0,127.0.0.1,1 (сброс: route delete 0.0.0.0)",
                Route + L"1.1.1.1,255.255.255.255,10.9.9.9,1 (сброс: route delete 1.1.1.1)",
                Route + L"77.88.55.60,255.255.255.255,0.0.0.0,1 (сброс: route delete 77.88.55.60)"}},
        {.name = "WinHTTP's proxy here, with its bypass list; its 32-bit programs' copy elsewhere",
            .keys = {{WinHttpKey, {{"WinHttpSettings", {3, WinHttpHere}}}},
                {"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections",
                    {{"WinHttpSettings", {3, Number(0x28) + Number(7) + Number(3) + Text("p:1") + Text("")}}}}},
            .lines = {L"!прокси WinHTTP (службы Windows, обновления): 127.0.0.1:3128, кроме <local>" + here,
                L"прокси WinHTTP (32-разрядные программы): p:1 (сброс: %windir%\\SysWOW64\\netsh winhttp reset proxy)"}},
        {.name = "name servers by hand on an adapter with a name and on one without; DHCP's are none",
            .keys = {{Tcpip + "\\Parameters\\Interfaces\\{A}", {{"NameServer", Sz(L"6.6.6.6,8.8.8.8")}}},
                {Tcpip + "\\Parameters\\Interfaces\\{B}",
                    {{"DhcpNameServer", Sz(L"10.0.0.1")}, {"NameServer", Sz(L"")}}},
                {Tcpip + "6\\Parameters\\Interfaces\\{C}", {{"NameServer", Sz(L"::6")}}},
                {Control + "Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\{A}\\Connection",
                    {{"Name", Sz(L"Ethernet")}}}},
            .lines =
                {L"серверы имён заданы вручную (Ethernet, IPv4): 6.6.6.6,8.8.8.8 (сброс: netsh interface ip set dns "
                 L"name=\"Ethernet\" source=dhcp)",
                    L"серверы имён заданы вручную ({C}, IPv6): ::6 (сброс: в свойствах адаптера: получать адрес "
                    L"DNS-сервера автоматически)"}},
        {.name = "NRPT rules in use: their servers only with their option bit",
            .keys = {{Nrpt + "{R}", {{"Name", {7, Utf16(L".bank.ru") + Utf16(L"pay.ru") + std::string(2, '\0')}},
                         {"ConfigOptions", {4, Number(0x1A)}}, {"GenericDNSServers", Sz(L"6.6.6.6")}}},
                {Nrpt + "{S}", {{"Name", Sz(L".vk.com")}, {"ConfigOptions", {4, Number(0x16)}},
                                   {"GenericDNSServers", Sz(L"7.7.7.7")}}}},
            .lines = {L"правило NRPT \"{R}\": .bank.ru, pay.ru -> 6.6.6.6" + Remove(L"{R}"),
                L"правило NRPT \"{S}\": .vk.com -> серверы имён не заданы" + Remove(L"{S}")}},
        {.name = "Group Policy's NRPT rules first, the local ones then not in use; a direct WinHTTP setting is none",
            .keys = {{Nrpt + "{R}", {{"Name", Sz(L".bank.ru")}}},
                {"SOFTWARE\\Policies\\Microsoft\\Windows NT\\DNSClient\\DnsPolicyConfig\\{P}",
                    {{"Name", Sz(L".corp")}, {"ConfigOptions", {4, Number(8)}},
                        {"GenericDNSServers", Sz(L"10.0.0.53")}}},
                {WinHttpKey,
                    {{"WinHttpSettings", {3, Number(0x28) + Number(7) + Number(1) + Text("127.0.0.1:1") + Text("")}}}}},
            .lines = {L"правило NRPT \"{P}\": .corp -> 10.0.0.53" + Remove(L"{P}"),
                L"правило NRPT \"{R}\" (не действует: есть правила групповой политики): .bank.ru -> серверы имён не "
                L"заданы" + Remove(L"{R}")}},
        {.name = "DoH templates beyond Windows' own list, each with its server; one without a template is none",
            .keys = {{Doh + "1.1.1.1", {{"Template", Sz(L"https://cloudflare-dns.com/dns-query")}}},
                {Doh + "2620:FE::FE", {{"Template", Sz(L"https://DNS.quad9.net/dns-query")}}},
                {Doh + "8.8.8.8", {{"Template", Evil}}}, {Doh + "6.6.6.6", {{"Flags", Qword(8)}}}},
            .lines = {L"DNS через HTTPS (известные Windows серверы): 8.8.8.8 -> https://evil.example/q (сброс: netsh "
                      L"dns delete encryption server=8.8.8.8)"}},
        {.name = "an adapter's DoH templates: only its own, by their bit in a QWORD; not Windows' own",
            .keys = {{DohA + "8.8.8.8", {{"DohFlags", Qword(1)}, {"DohTemplate", Evil}}},
                {DohA + "5.5.5.5", {{"DohFlags", {11, Number(2)}}, {"DohTemplate", Evil}}},
                {DohA + "6.6.6.6", {{"DohFlags", Qword(2)}, {"DohTemplate", Evil}}},
                {DohA + "7.7.7.7", {{"DohFlags", {3, Qword(2).bytes}}, {"DohTemplate", Evil}}},
                {DohB + "2606:4700:4700::1111",
                    {{"DohFlags", Qword(6)}, {"DohTemplate", Sz(L"https://cloudflare-dns.com/dns-query")}}},
                {DohB + "::6", {{"DohFlags", Qword(6)}, {"DohTemplate", Evil}}},
                {Control + "Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\{A}\\Connection",
                    {{"Name", Sz(L"Ethernet")}}}},
            .lines = {L"DNS через HTTPS (Ethernet, IPv4): 6.6.6.6 -> https://evil.example/q" + DohByHand,
                L"DNS через HTTPS ({B}, IPv6): ::6 -> https://evil.example/q" + DohByHand}},
        {.name = "the DNS client's DoH policy, where it is set",
            .keys = {{"SOFTWARE\\Policies\\Microsoft\\Windows NT\\DNSClient", {{"DoHPolicy", {4, Number(3)}}}}},
            .lines = {L"DNS через HTTPS (групповая политика): обязательно (сброс: групповой политикой или reg delete "
                      L"\"HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows NT\\DNSClient\" /v DoHPolicy /f)"}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystem sys;
        sys.keys = c.keys, sys.files = c.files, sys.rights.localSystem = c.system, sys.inDomain = c.domain;
        WindowsRegistry windows(sys.Get(), L"");
        const LookupReport report = ReadLookupPath(sys.Get(), &windows, H, false);
        std::vector<std::wstring> lines = report.notes;  // none
        for (const Finding& f : report.findings) lines.push_back((f.undo ? L"!" : L"") + Words(f));
        EXPECT_EQ(lines, c.lines);
    }
}

// SYSTEM's run reads every user's settings: the signed-in ones' in HKU, each other profile's
// NTUSER.DAT loaded privately to be read, and unloaded on every path; one that cannot be loaded is
// named with why. Neither SYSTEM's own profile nor a signed-in user's file is loaded.
TEST(LookupPath, EveryUserReadEvenSignedOutTheirFileUnloadedOnEveryPath) {
    const std::wstring file = L"C:\\Users\\ivan\\NTUSER.DAT", load = L"load privately " + file + L" 131097",
                       again = L"load " + file, unload = L"unload " + file,
                       who = L" (пользователь S-1-12-1-5 вне системы, C:\\Users\\ivan): ",
                       proxy =
                           L"прокси для всех страниц" + who + L"p:1 (сброс: inetcpl.cpl, Подключения, Настройка сети)",
                       unread = L"прокси не проверены" + who;
    const std::string profiles = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\";
    // clang-format off
    const struct {
        const char* name;
        std::map<std::wstring, std::uint32_t> fail;
        Journal lines, loads;
        bool file = true;
        std::wstring folder = L"%SystemDrive%\\Users\\ivan";
    } cases[] = {
        {.name = "signed out: read in their file", .lines = {proxy}, .loads = {load, unload}},
        {.name = "their file in use", .fail = {{load, 32}, {again, 32}},
            .lines = {unread + L"NTUSER.DAT занят другой программой: ошибка 32: text of 32"}, .loads = {load, again}},
        {.name = "their file missing", .lines = {unread + L"нет файла NTUSER.DAT: ошибка 2: text of 2"}, .file = false},
        {.name = "their profile without a folder", .lines = {L"прокси не проверены (пользователь S-1-12-1-5 вне "
            L"системы, ): нет файла NTUSER.DAT: ошибка 3: text of 3"}, .file = false, .folder = L""},
        {.name = "their file damaged", .fail = {{load, 1009}, {again, 1009}},
            .lines = {unread + L"NTUSER.DAT повреждён: ошибка 1009: text of 1009"}, .loads = {load, again}},
        {.name = "its unload refused: told, and tried again at its end", .fail = {{unload, 5}},
            .lines = {L"не прочитано: " + unload + L": ошибка 5: text of 5", proxy}, .loads = {load, unload, unload}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystem sys;
        sys.appHives = sys.rights.localSystem = true;
        sys.fail = c.fail;
        sys.keys = {{Hive + "\\" + Settings, {}},
            {profiles + "S-1-5-21-7-1001", {{"ProfileImagePath", ExpandSz(L"%SystemDrive%\\Users\\anna")}}},
            {profiles + "S-1-12-1-5", {{"ProfileImagePath", ExpandSz(c.folder)}}},
            {profiles + "S-1-5-18",
                {{"ProfileImagePath", ExpandSz(L"%systemroot%\\system32\\config\\systemprofile")}}}};
        if (c.file) sys.hives[file] = {{Settings, {{"ProxyEnable", On}, {"ProxyServer", Sz(L"p:1")}}}};
        WindowsRegistry windows(sys.Get(), L"");
        const LookupReport report = ReadLookupPath(sys.Get(), &windows, H, false);
        Journal lines = report.notes, loads;
        for (const Finding& f : report.findings) lines.push_back(Words(f));
        for (const std::wstring& entry : sys.log)
            if (entry.starts_with(L"load") || entry.starts_with(L"unload")) loads.push_back(entry);
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(loads, c.loads);
    }
}

// Their file is loaded again, to write, for the write alone; the .reg names their key under HKU,
// where it is once they sign in.
TEST(Undo, ASignedOutUsersProxyIsSwitchedOffInTheirFileLoadedAgainToWrite) {
    const std::wstring file = L"C:\\Users\\ivan\\NTUSER.DAT";
    FakeSystem sys;
    sys.appHives = sys.rights.localSystem = true;
    sys.keys = {{"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-9",
        {{"ProfileImagePath", ExpandSz(L"C:\\Users\\ivan")}}}};
    sys.hives[file] = {{Settings, {{"ProxyEnable", On}, {"ProxyServer", Sz(L"127.0.0.1:1")}}}};
    WindowsRegistry windows(sys.Get(), L"");
    const Undone undone = UndoFindings(sys.Get(), ReadLookupPath(sys.Get(), &windows, H, false).findings, H);
    EXPECT_EQ(undone.done, 1u);
    EXPECT_EQ(sys.hives[file][Settings]["ProxyEnable"], (RegistryValue{4, Number(0)}));
    Journal loads;
    for (const std::wstring& entry : sys.log)
        if (entry.starts_with(L"load") || entry.starts_with(L"unload")) loads.push_back(entry);
    EXPECT_EQ(loads, (Journal{L"load privately " + file + L" 131097", L"unload " + file,
                         L"load privately " + file + L" 131099", L"unload " + file}));
    const std::string key = Utf16(L"[HKEY_USERS\\S-1-5-21-9\\" + Wide(Settings) + L"]");
    EXPECT_NE(sys.files[undone.regFile].find(key.substr(0, key.size() - 2)), std::string::npos);  // no NUL
}

// Each provider's DLL as Windows loads it: one whose file is not there, wherever it points; one
// outside the system folder with what Windows says of its signature. The 64-bit catalog's system
// folder is reached through Sysnative; another installation's files only in its own folder. The
// keys are under the control set: the running Windows' or another installation's.
TEST(LookupPath, WinsockProvidersJudgedByTheFilesWindowsLoads) {
    using Values = std::map<std::string, RegistryValue>;
    const RegistryValue On0{4, Number(0)};
    // clang-format off
    const auto Lsp = [](const char* dll) { return Values{{"PackedCatalogItem", Catalog(dll)}}; };
    const auto Nsp = [](const wchar_t* dll) { return Values{{"LibraryPath", ExpandSz(dll)}}; };
    const std::string E = "Services\\WinSock2\\Parameters\\Protocol_Catalog9\\Catalog_Entries",
                      N = "Services\\WinSock2\\Parameters\\NameSpace_Catalog5\\Catalog_Entries";
    const std::wstring P = L"поставщик Winsock: ", P64 = L"поставщик Winsock (64-разрядный): ",
        Out = L": не из системной папки", lsp = L" (сброс: netsh winsock reset)",
        on = L"\" /v Enabled /t REG_DWORD /d 0 /f)",
        nsp = L" (сброс: удалить программу, которая его поставила (appwiz.cpl)",
        off = L", или отключить: reg add \"HKLM\\SYSTEM\\CurrentControlSet\\Services\\WinSock2\\Parameters\\"
              L"NameSpace_Catalog5\\Catalog_Entries";
    const struct {
        const char* name;
        FakeSystem::Keys keys;
        std::vector<std::wstring> lines;
        Files files = {};
        std::wstring system64 = {}, windir = {};
    } cases[] = {
        {.name = "outside the system folder, each once, expanded, with its signature; a namespace entry switched off "
                 "is none; a 64-bit system folder out of reach is told once",
            .keys = {{E + "\\1", Lsp("%SystemRoot%\\system32\\mswsock.dll")}, {E + "\\2", Lsp("C:\\u\\lsp.dll")},
                {E + "\\3", Lsp("c:\\U\\LSP.dll")}, {E + "\\4", Lsp("C:\\t\\bad.dll")},
                {E + "\\5", Lsp("C:\\t\\x.dll")}, {N + "\\1", Nsp(L"\\\\server\\ns.dll")},
                {N + "\\2", {{"LibraryPath", Sz(L"C:\\o.dll")}, {"Enabled", On0}}},
                {N + "64\\1", Nsp(L"%ProgramData%\\ns.dll")}, {N + "64\\2", Nsp(L"%SystemRoot%\\system32\\nap.dll")},
                {N + "64\\3", Nsp(L"%SystemRoot%\\system32\\pnrp.dll")},
                {"Control\\Session Manager\\Environment", {{"ProgramData", Sz(L"C:\\PD")}}}},
            .lines = {L"не проверены: файлы 64-разрядных поставщиков Winsock в системной папке (Windows не даёт "
                      L"этой программе ту папку: Sysnative, SysWOW64)",
                P + L"C:\\u\\lsp.dll" + Out + L", подписи в файле нет" + lsp,
                P + L"C:\\t\\bad.dll" + Out + L", подпись не подтверждена: ошибка 0x80096010: text of 2148098064" + lsp,
                P + L"C:\\t\\x.dll" + Out + L", подпись не проверена: ошибка 5: text of 5" + lsp,
                P + L"\\\\server\\ns.dll" + Out + L", файл не проверен" + nsp + off + L"\\1" + on,
                P64 + L"C:\\PD\\ns.dll" + Out + L", подпись: Apple Inc." + nsp + off + L"64\\1" + on},
            .files = {{L"C:\\WINDOWS\\system32\\mswsock.dll", ""}, {L"C:\\u\\lsp.dll", ""}, {L"C:\\t\\bad.dll", ""},
                {L"C:\\t\\x.dll", ""}, {L"C:\\PD\\ns.dll", ""}}},
        {.name = "a missing file in the system folder and outside; the 64-bit one's reached through Sysnative",
            .keys = {{E + "\\1", Lsp("%SystemRoot%\\system32\\gone.dll")}, {E + "\\2", Lsp("D:\\x\\lsp.dll")},
                {E + "64\\1", Lsp("%SystemRoot%\\system32\\mswsock.dll")},
                {E + "64\\2", Lsp("%windir%\\System32\\w.dll")}},
            .lines = {P + L"C:\\WINDOWS\\system32\\gone.dll: файла нет" + lsp, P + L"D:\\x\\lsp.dll: файла нет" + lsp,
                P64 + L"C:\\WINDOWS\\system32\\mswsock.dll: файла нет" + lsp},
            .files = {{L"C:\\WINDOWS\\system32\\mswsock.dll", ""}, {L"C:\\WINDOWS\\Sysnative\\w.dll", ""}},
            .system64 = L"C:\\WINDOWS\\Sysnative"},
        {.name = "another installation: its own folder only, its 32-bit system folder in SysWOW64; no key to name",
            .keys = {{E + "\\1", Lsp("%SystemRoot%\\system32\\ws.dll")}, {E + "\\2", Lsp("C:\\Program Files\\lsp.dll")},
                {E + "64\\1", Lsp("%SystemRoot%\\system32\\ws.dll")}, {N + "\\1", Nsp(L"D:\\ns.dll")}},
            .lines = {P + L"C:\\Program Files\\lsp.dll" + Out + L", файл не проверен" + lsp,
                P + L"D:\\ns.dll" + Out + L", файл не проверен" + nsp + L")",
                P64 + L"E:\\W\\system32\\ws.dll: файла нет" + lsp},
            .files = {{L"E:\\W\\SysWOW64", ""}, {L"E:\\W\\SysWOW64\\ws.dll", ""}}, .windir = L"E:\\W"},
        {.name = "another installation of 32-bit Windows: its system folder is its own",
            .keys = {{E + "\\1", Lsp("%SystemRoot%\\system32\\ws.dll")}}, .files = {{L"E:\\W\\system32\\ws.dll", ""}},
            .windir = L"E:\\W"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystem sys;
        FakeSystem::Keys& keys = c.windir.empty() ? sys.keys : sys.hives[c.windir + L"\\System32\\config\\SYSTEM"];
        for (const auto& [path, values] : c.keys)
            keys[(c.windir.empty() ? "SYSTEM\\CurrentControlSet\\" : "ControlSet001\\") + path] = values;
        keys["Select"] = {{"Current", {4, Number(1)}}};
        sys.files = c.files, sys.system64 = c.system64, sys.fail[L"signature C:\\t\\x.dll"] = 5;
        sys.signatures = {{L"C:\\PD\\ns.dll", {0, L"Apple Inc."}}, {L"C:\\t\\bad.dll", {0x80096010}}};
        WindowsRegistry windows(sys.Get(), c.windir);
        const LookupReport report = ReadLookupPath(sys.Get(), &windows, H, !c.windir.empty());
        std::vector<std::wstring> lines(
            report.notes.begin() + !c.windir.empty(), report.notes.end());  // not /windir:'s
        for (const Finding& f : report.findings) lines.push_back(Words(f));
        EXPECT_EQ(lines, c.lines);
    }
}

// The old values whole on the disk first, as `reg import` takes them (a text that quotes cannot
// give back byte for byte in hex); then the proxy, the script and WinHTTP's are switched off.
TEST(Undo, OldValuesKeptInARegFileThenSwitchedOff) {
    const std::wstring user = L"[HKEY_CURRENT_USER\\" + Wide(Settings) + L"]\r\n";
    const std::string text = Utf16(
        L"\xFEFFWindows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" + Wide(Settings) +
        L"\\Connections]\r\n\"DefaultConnectionSettings\"=hex:46,00,00,00,01,00,00,00,03,00,00,00,07,00,00,00,5b,3a,"
        L"3a,31,5d,3a,39,00,00,00,00,00,00,00,00,01\r\n\r\n" + user +
        L"\"ProxyEnable\"=dword:00000001\r\n\"ProxyServer\"=hex(1):5b,00,3a,00,3a,00,31,00,5d,00,3a,00,31,00\r\n\r\n" +
        user + L"\"AutoConfigURL\"=\"file://C:\\\\\\\"p\\\".pac\"\r\n\r\n[HKEY_LOCAL_MACHINE\\" + Wide(WinHttpKey) +
        L"]\r\n\"WinHttpSettings\"=hex:28,00,00,00,07,00,00,00,03,00,00,00,0e,00,00,00,31,32,37,2e,30,2e,30,2e,31,3a,"
        L"33,31,32,38,07,00,00,00,3c,6c,6f,63,61,6c,3e\r\n\r\n");
    FakeSystem sys;
    const std::string connection = Number(0x46) + Number(1) + Number(3) + Text("[::1]:9") + Text("") + Text("") + "\x01";
    sys.keys = {{User + "\\Connections", {{"DefaultConnectionSettings", {3, connection}}}},
        {User, {{"ProxyEnable", On}, {"ProxyServer", {1, Utf16(L"[::1]:1").substr(0, 14)}},
                           {"AutoConfigURL", Sz(L"file://C:\\\"p\".pac")}}},
        {WinHttpKey, {{"WinHttpSettings", {3, WinHttpHere}}}}};
    WindowsRegistry windows(sys.Get(), L"");
    const Undone undone = UndoFindings(sys.Get(), ReadLookupPath(sys.Get(), &windows, H, false).findings, H);
    EXPECT_EQ(std::pair(undone.regFile, undone.done), std::pair(H + L".20240102-030405.reg", std::size_t{4}));
    EXPECT_EQ(sys.files[undone.regFile], text.substr(0, text.size() - 2));
    EXPECT_EQ(sys.keys[User].count("AutoConfigURL"), 0u);
    EXPECT_EQ(sys.log.end()[-4], L"openW -2147483646 " + Wide(WinHttpKey) + L" 258");  // in the 64-bit registry
    EXPECT_EQ(sys.log.back(), L"internet settings changed");  // the user's own run: browsers told at once
    EXPECT_EQ(sys.keys[User]["ProxyEnable"], (RegistryValue{4, Number(0)}));
    EXPECT_EQ(  // as `netsh winhttp reset proxy` writes it, whatever the old value's version and counter
        sys.keys[WinHttpKey]["WinHttpSettings"].bytes, Number(0x18) + Number(0) + Number(1) + Number(0) + Number(0));
    EXPECT_EQ(sys.keys[User + "\\Connections"]["DefaultConnectionSettings"].bytes,
        Number(0x46) + Number(2) + Number(1) + connection.substr(12));
}

// SYSTEM's run: its own settings are named in the .reg as its hive, not as whoever imports the
// file; a user's key locked against the run is named with its error, and the others are undone.
TEST(Undo, SystemsOwnKeysNamedAsItsHiveALockedUserKeyKeepsNoOtherFromItsUndo) {
    const std::wstring settings = Wide(Settings), reg = H + L".20240102-030405.reg",
                       proxy = L"]\r\n\"ProxyEnable\"=dword:00000001\r\n\"ProxyServer\"=\"127.0.0.1:";
    const std::string text = Utf16(L"\xFEFFWindows Registry Editor Version 5.00\r\n\r\n[HKEY_USERS\\S-1-5-18\\" +
                                   settings + proxy + L"1\"\r\n\r\n[HKEY_USERS\\S-1-5-21-7-1001\\" + settings + proxy +
                                   L"2\"\r\n\r\n[HKEY_USERS\\S-1-5-21-7-1002\\" + settings + proxy + L"3\"\r\n\r\n");
    FakeSystem sys;
    sys.rights.localSystem = true;
    for (const char* user : {"HKCU", "HKU\\S-1-5-21-7-1001", "HKU\\S-1-5-21-7-1002"})
        sys.keys[user + ("\\" + Settings)] = {
            {"ProxyEnable", On}, {"ProxyServer", Sz(L"127.0.0.1:" + std::to_wstring(sys.keys.size() + 1))}};
    sys.fail[L"openW -2147483645 S-1-5-21-7-1001\\" + settings + L" 258"] = 5;
    WindowsRegistry windows(sys.Get(), L"");
    const Undone undone = UndoFindings(sys.Get(), ReadLookupPath(sys.Get(), &windows, H, false).findings, H);
    EXPECT_EQ(sys.files[reg], text.substr(0, text.size() - 2));
    EXPECT_EQ(std::pair(undone.regFile, undone.done), std::pair(reg, std::size_t{2}));
    ASSERT_EQ(undone.notUndone.size(), 1u);
    EXPECT_EQ(undone.each, (std::vector<bool>{true, false, true}));  // by finding, as a report tells them
    EXPECT_TRUE(undone.browsersRestart);  // no user's session to tell
    EXPECT_EQ(std::pair(undone.notUndone[0].Code(), undone.notUndone[0].Subject()),
        std::pair(5u, L"HKU\\S-1-5-21-7-1001\\" + settings));
    EXPECT_EQ(sys.keys["HKU\\S-1-5-21-7-1002\\" + Settings]["ProxyEnable"], (RegistryValue{4, Number(0)}));
}

// An earlier .reg beside hosts with the very bytes is named, and none is written; one of the same
// size with other bytes is not it.
TEST(Undo, AnEarlierRegFileWithTheSameBytesIsNamed) {
    const std::string text = Utf16(L"\xFEFFWindows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" +
                                   Wide(Settings) +
                                   L"]\r\n\"ProxyEnable\"=dword:00000001\r\n\"ProxyServer\"=\"127.0.0.1:1\"\r\n\r\n"),
                      bytes = text.substr(0, text.size() - 2);
    FakeSystem sys;
    sys.keys = {{User, {{"ProxyEnable", On}, {"ProxyServer", Sz(L"127.0.0.1:1")}}}};
    sys.files = {{H + L".20240101-000000.reg", bytes}, {H + L".20231231-000000.reg", std::string(bytes.size(), 'x')}};
    WindowsRegistry windows(sys.Get(), L"");
    const Undone undone = UndoFindings(sys.Get(), ReadLookupPath(sys.Get(), &windows, H, false).findings, H);
    EXPECT_EQ(std::pair(undone.regFile, undone.earlier), std::pair(H + L".20240101-000000.reg", true));
    EXPECT_EQ(sys.files.size(), 2u);
    EXPECT_EQ(undone.done, 1u);
}

// DataBasePath as the DNS client, a service, reads it. The default in any spelling is no redirect;
// any other value is one, shown printable and cut, its folder opened only when local, its variables
// the machine's. A value that cannot be read, of another type or too long counts as moved:
// malware must not switch the check off by making it unreadable.
TEST(WindowsRegistry, DataBasePathJudgedAndShownSafely) {
    // `shown`: nothing when no redirect; `open`: the key's open fails with it; `query`: every read of the value does.
    // clang-format off
    const struct {
        const char* name;
        std::optional<RegistryValue> value;
        std::optional<std::wstring> shown = {};
        std::wstring folder = {};
        std::uint32_t open = 0;
        std::optional<std::int32_t> query = {};
    }
    // clang-format off
        cases[] = {
        {.name = "the default, expanded, in other letters", .value = Sz(L"c:\\windows\\SYSTEM32\\drivers\\etc\\")},
        {.name = "the default as Windows writes it", .value = ExpandSz(L"%SystemRoot%\\System32\\drivers\\etc")},
        {.name = "a share: never opened", .value = Sz(L"\\\\evil\\etc"), .shown = L"\\\\evil\\etc"},
        {.name = "the machine's variables, never the user's", .value = ExpandSz(L"%ProgramData%\\evil"),
         .shown = L"%ProgramData%\\evil", .folder = L"C:\\ProgramData\\evil"},
        {.name = "denied", .value = {}, .shown = L"<не прочитано: ошибка 5: text of 5>", .open = 5},
        {.name = "more data every time", .value = Sz(L""), .shown = L"<не прочитано: ошибка 234: text of 234>",
         .query = 234},
        {.name = "another type", .value = RegistryValue{4, "\x01\0\0\0"}, .shown = L"<значение типа 4, не текст>"},
        {.name = "more than 1 MiB", .value = RegistryValue{2, std::string((1 << 20) + 1, 'd')},
         .shown = L"<значение длиннее 1048576 байт>"},
        {.name = "a line break and an escape", .value = Sz(L"D:\\x\n\x1b[2J"), .shown = L"D:\\x??[2J",
         .folder = L"D:\\x\n\x1b[2J"},
        {.name = "a surrogate pair across the cut", .value = Sz(std::wstring(299, L'd') + L"\xD83D\xDE00"),
         .shown = std::wstring(299, L'd') + L"…"},
    };
    // clang-format on
    // clang-format on
    const std::string tcpip = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystem sys;
        if (c.value) sys.keys[tcpip]["DataBasePath"] = *c.value;
        sys.keys[Control + "Session Manager\\Environment"]["ProgramData"] = Sz(L"C:\\ProgramData");
        if (c.open) sys.fail[L"openW -2147483646 " + Wide(tcpip) + L" 1"] = c.open;
        sys.queryStatus = c.query;
        const std::optional<Redirect> redirect = WindowsRegistry(sys.Get(), L"").HostsRedirect();
        EXPECT_EQ(redirect ? std::optional(redirect->shown) : std::nullopt, c.shown);
        EXPECT_EQ(redirect ? redirect->folder : L"", c.folder);
    }
}

// Another installation's registry file: loaded privately where Windows can, only to be read; the
// reset loads it again to write, for the write alone; a link at its name, or a second name, is
// never loaded (the file loaded would be another than the one checked).
TEST(WindowsRegistry, AnotherInstallationsFileLoadedToReadThenAgainToWriteNeverThroughALink) {
    const std::wstring file = L"E:\\W\\System32\\config\\SYSTEM", tcpip = L"ControlSet001\\Services\\Tcpip\\Parameters";
    const Journal reads{L"openW " + file + L" Select 1", L"close 101", L"openW " + file + L" ControlSet001 1",
        L"close 101", L"openW " + file + L" " + tcpip + L" 1", L"close 101", L"unload " + file},
        write{L"openW " + file + L" " + tcpip + L" 2", L"set DataBasePath 2 %SystemRoot%\\System32\\drivers\\etc",
            L"close 101", L"unload " + file};
    // clang-format off
    const struct {
        const char* name;
        bool appHives;
        Journal expected;
        std::uint32_t failing = 0;  // of the private load to read
        std::optional<FileFacts> facts = {};
        std::uint32_t code = 0;
    } cases[] = {
        {.name = "privately where Windows can", .appHives = true,
            .expected = Journal{L"load privately " + file + L" 131097"} + reads +
                        Journal{L"load privately " + file + L" 131099"} + write},
        {.name = "where it cannot (XP), under HKLM", .appHives = false,
            .expected = Journal{L"load " + file} + reads + Journal{L"load " + file} + write},
        {.name = "where it refuses, under HKLM", .appHives = true,
            .expected = Journal{L"load privately " + file + L" 131097", L"load " + file} + reads +
                        Journal{L"load privately " + file + L" 131099"} + write, .failing = 5},
        {.name = "a link at its name", .appHives = true, .facts = FileFacts{0x420}, .code = 1920},
        {.name = "a second name", .appHives = true, .facts = FileFacts{0x20, 2}, .code = 1920},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystem sys;
        sys.hives[file] = {{"Select", {{"Current", {4, Number(1)}}}}, {Ascii(tcpip), {}}};
        sys.appHives = c.appHives;
        if (c.failing) sys.fail[L"load privately " + file + L" 131097"] = c.failing;
        if (c.facts) sys.facts[file] = *c.facts;
        const auto [code, subject] = FailureOf([&] {
            WindowsRegistry registry(sys.Get(), L"E:\\W");
            registry.HostsRedirect();
            registry.Unload();
            registry.ResetHostsRedirect();
        });
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(sys.log, c.expected);
    }
}

}  // namespace
