// The other places of the lookup path: their values' bytes, and what is judged malware's.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "lookup/LookupMessages.h"
#include "lookup/LookupPath.h"
#include "lookup/ProxyRules.h"
#include "lookup/Undo.h"
#include "lookup/WinHttpSettings.h"
#include "lookup/WindowsRegistry.h"

namespace {

std::string Number(std::uint32_t n) {
    return {static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16), static_cast<char>(n >> 24)};
}
std::string Text(const std::string& s) { return Number(static_cast<std::uint32_t>(s.size())) + s; }

TEST(LookupPath, WinHttpSettingsDecoded) {
    const std::string header = Number(0x28) + Number(7);
    const struct { std::string value; WinHttpProxy::State state; std::string proxy, bypass; } cases[] = {
        {header + Number(1) + Text("") + Text(""), WinHttpProxy::Direct, "", ""},
        {header + Number(3) + Text("127.0.0.1:8080") + Text(""), WinHttpProxy::Named, "127.0.0.1:8080", ""},
        {header + Number(2) + Text("http=p:1;https=p:2") + Text("*.corp;<local>"), WinHttpProxy::Named,
         "http=p:1;https=p:2", "*.corp;<local>"},
        {header + Number(2) + Text("proxy:80").substr(0, 9), WinHttpProxy::Damaged, "", ""},  // cut in the proxy
        {header + Number(2) + Text("p:1"), WinHttpProxy::Damaged, "p:1", ""},  // no bypass list
        {header.substr(0, 6), WinHttpProxy::Damaged, "", ""},
    };
    for (const auto& c : cases) {
        const WinHttpProxy decoded = DecodeWinHttpSettings(c.value);
        EXPECT_EQ(decoded.state, c.state) << testing::PrintToString(c.value);
        EXPECT_EQ(decoded.proxy + "|" + decoded.bypass, c.proxy + "|" + c.bypass);
    }
}

TEST(LookupPath, WhatPointsToThisComputer) {
    const struct { const wchar_t* value; bool proxy, script; } cases[] = {
        {L"127.0.0.1:8080", true, true},
        {L"LocalHost:3128", true, true},
        {L"localhost.", true, true},
        {L"[::1]:8888", true, true},
        {L"proxy.corp.example:3128", false, false},
        {L"http=proxy.corp:80;https=127.0.0.1:8443", true, false},  // one of the list is enough
        {L"http://127.0.0.1:9000/proxy.pac", true, true},
        {L"http://pac.corp/127.0.0.1.pac", false, false},
        {L"FILE:///C:/Users/u/AppData/p.pac", false, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProxyToThisComputer(c.value), c.proxy) << c.value;
        EXPECT_EQ(ScriptOnThisComputer(c.value), c.script) << c.value;
    }
}

TEST(LookupPath, CatalogDllsAndUserHives) {
    EXPECT_EQ(CatalogDllPath(std::string(300, 'a')), std::string(260, 'a'));  // never past MAX_PATH
    EXPECT_FALSE(InSystemFolder(L"C:\\Windows\\System32\\drivers\\x.dll", L"C:\\WINDOWS\\system32"));
    EXPECT_EQ(OtherField({{FindingKind::Winsock, L""}, {FindingKind::Proxy, L""}, {FindingKind::Winsock, L""}}),
              L"proxy,winsock");
}

// The places as the fake registry keeps them.
const std::string User = UserSettings, Settings = User.substr(5),
                  WinHttpKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections",
                  Set = "SYSTEM\\CurrentControlSet\\Services\\", Tcpip = Set + "Tcpip", Winsock = Set + "WinSock2\\Parameters\\";
const RegistryValue On{4, Number(1)};
RegistryValue Sz(const wchar_t* text) { return {1, Utf16(text)}; }
RegistryValue Catalog(const std::string& dll) { return {3, dll + std::string("\0\x01", 2)}; }
const std::string WinHttpHere = Number(0x28) + Number(7) + Number(3) + Text("127.0.0.1:3128") + Text("<local>");

// One row a kind, with what is no finding beside it: a proxy switched off, a service's hive or a
// user's classes, DHCP's name servers, a system DLL; a second entry of the same DLL. "!": undone.
TEST(LookupPath, EachPlaceReadAndJudged) {
    const std::wstring here = L"!прокси для всех страниц (пользователь", winsock = L"поставщик Winsock не из системной папки: ";
    const struct { FakeSystem::Keys keys; std::vector<std::wstring> lines; Files files = {}; bool system = false; } cases[] = {
        {{{"HKU\\S-1-5-21-7-1001\\" + Settings, {{"ProxyEnable", On}, {"ProxyServer", Sz(L"localhost:1")}}}},  // not SYSTEM's run
         {L"hosts.ics: 10.0.0.9 bank.ru"}, {{H + L".ics", "127.0.0.1 localhost\r\n10.0.0.9 bank.ru\r\n"}}},
        {{{User, {{"ProxyEnable", On}, {"ProxyServer", Sz(L"[::1]:8888")}, {"AutoConfigURL", Sz(L"file://C:/p.pac")}}}},
         {here + L"): [::1]:8888" + OnThisComputer, L"!сценарий настройки прокси (пользователь): file://C:/p.pac" + std::wstring(OnThisComputer)}},
        {{{User, {{"ProxyServer", Sz(L"127.0.0.1:1")}, {"AutoConfigURL", Sz(L"http://wpad.corp/p.pac")}}}},
         {L"сценарий настройки прокси (пользователь): http://wpad.corp/p.pac" + std::wstring(ResetByHand)}},
        {{{"HKU\\S-1-5-21-7-1001\\" + Settings, {{"ProxyEnable", On}, {"ProxyServer", Sz(L"localhost:3128")}}},
          {"HKU\\S-1-5-21-7-1001_Classes\\" + Settings, {{"AutoConfigURL", Sz(L"file:x")}}},
          {"HKU\\S-1-5-18\\" + Settings, {{"AutoConfigURL", Sz(L"file:y")}}}}, {here + L" S-1-5-21-7-1001): localhost:3128" + OnThisComputer}, {}, true},
        {{{"SOFTWARE\\Policies\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", {{"ProxySettingsPerUser", {4, Number(0)}}}},
          {Settings, {{"ProxyEnable", On}, {"ProxyServer", Sz(L"127.0.0.1:1")}, {"AutoConfigURL", Sz(L"file:z")}}}},
         {L"прокси для всех страниц (весь компьютер): 127.0.0.1:1" + std::wstring(ResetByHand),
          L"сценарий настройки прокси (весь компьютер): file:z" + std::wstring(ResetByHand)}},
        {{{WinHttpKey, {{"WinHttpSettings", {3, WinHttpHere}}}}},
         {L"!прокси WinHTTP (службы Windows, обновления): 127.0.0.1:3128, кроме <local>" + std::wstring(OnThisComputer)}},
        {{{Tcpip + "\\Parameters\\Interfaces\\{A}", {{"NameServer", Sz(L"6.6.6.6,8.8.8.8")}}}, {Tcpip + "\\Parameters\\Interfaces\\{B}",
          {{"DhcpNameServer", Sz(L"10.0.0.1")}, {"NameServer", Sz(L"")}}}, {Tcpip + "6\\Parameters\\Interfaces\\{C}", {{"NameServer",
          Sz(L"::6")}}}, {"SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\{A}\\Connection",
          {{"Name", Sz(L"Ethernet")}}}}, {L"серверы имён заданы вручную (Ethernet, IPv4): 6.6.6.6,8.8.8.8 (сброс: netsh interface ip "
          L"set dns name=\"Ethernet\" source=dhcp)", L"серверы имён заданы вручную ({C}, IPv6): ::6 (сброс: в свойствах адаптера: "
          L"получать адрес DNS-сервера автоматически)"}},
        {{{Set + "Dnscache\\Parameters\\DnsPolicyConfig\\{R}", {{"Name", {7, Utf16(L".bank.ru") + Utf16(L"pay.ru") + std::string(2, '\0')}},
          {"GenericDNSServers", Sz(L"6.6.6.6")}}}, {"SOFTWARE\\Policies\\Microsoft\\Windows NT\\DNSClient\\DnsPolicyConfig\\{P}",
          {{"Name", Sz(L".corp")}}}, {WinHttpKey, {{"WinHttpSettings", {3, Number(0x28) + Number(7) + Number(1) + Text("127.0.0.1:1") +
          Text("")}}}}}, {L"правило NRPT \"{P}\": .corp -> серверы имён не заданы (удалить: групповой политикой или "
          L"Remove-DnsClientNrptRule -Name \"{P}\")", L"правило NRPT \"{R}\": .bank.ru, pay.ru -> 6.6.6.6 (удалить: групповой "
          L"политикой или Remove-DnsClientNrptRule -Name \"{R}\")"}},
        {{{Winsock + "Protocol_Catalog9\\Catalog_Entries\\1", {{"PackedCatalogItem", Catalog("%SystemRoot%\\system32\\mswsock.dll")}}},
          {Winsock + "Protocol_Catalog9\\Catalog_Entries\\2", {{"PackedCatalogItem", Catalog("C:\\u\\lsp.dll")}}},
          {Winsock + "Protocol_Catalog9\\Catalog_Entries\\3", {{"PackedCatalogItem", Catalog("c:\\U\\LSP.dll")}}},
          {Winsock + "NameSpace_Catalog5\\Catalog_Entries64\\1", {{"LibraryPath", {2, Utf16(L"%ProgramData%\\ns.dll")}}}},
          {"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment", {{"ProgramData", Sz(L"C:\\PD")}}}},
         {winsock + L"C:\\u\\lsp.dll (сброс: netsh winsock reset)", winsock + L"C:\\PD\\ns.dll (сброс: netsh winsock reset)"}},
    };
    for (const auto& c : cases) {
        FakeSystem sys;
        sys.keys = c.keys, sys.files = c.files, sys.rights.localSystem = c.system;
        WindowsRegistry windows(sys.Get(), L"");
        const LookupReport report = ReadLookupPath(sys.Get(), &windows, H, false);
        std::vector<std::wstring> lines = report.notes;  // none
        for (const Finding& f : report.findings) lines.push_back((f.undo ? L"!" : L"") + Words(f));
        EXPECT_EQ(lines, c.lines);
    }
}

// The old values whole on the disk first, as `reg import` takes them (a text that quotes cannot
// give back byte for byte in hex); then the proxy, the script and WinHTTP's are switched off.
TEST(LookupPath, OldValuesKeptInARegFileThenSwitchedOff) {
    const std::wstring user = L"[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings]\r\n";
    const std::string text = Utf16(L"\xFEFFWindows Registry Editor Version 5.00\r\n\r\n" + user + L"\"ProxyEnable\"=dword:00000001\r\n"
        L"\"ProxyServer\"=hex(1):5b,00,3a,00,3a,00,31,00,5d,00,3a,00,31,00\r\n\r\n" + user +
        L"\"AutoConfigURL\"=\"file://C:\\\\\\\"p\\\".pac\"\r\n\r\n[HKEY_LOCAL_MACHINE\\" + Wide(WinHttpKey) + L"]\r\n\"WinHttpSettings\"="
        L"hex:28,00,00,00,07,00,00,00,03,00,00,00,0e,00,00,00,31,32,37,2e,30,2e,30,2e,31,3a,33,31,32,38,07,00,00,00,3c,6c,6f,"
        L"63,61,6c,3e\r\n\r\n");
    FakeSystem sys;
    sys.keys = {{User, {{"ProxyEnable", On}, {"ProxyServer", {1, Utf16(L"[::1]:1").substr(0, 14)}},
                        {"AutoConfigURL", Sz(L"file://C:\\\"p\".pac")}}}, {WinHttpKey, {{"WinHttpSettings", {3, WinHttpHere}}}}};
    WindowsRegistry windows(sys.Get(), L"");
    const Undone undone = UndoFindings(sys.Get(), ReadLookupPath(sys.Get(), &windows, H, false).findings, H);
    EXPECT_EQ(std::pair(undone.regFile, undone.done), std::pair(H + L".20240102-030405.reg", std::size_t{3}));
    EXPECT_EQ(sys.files[undone.regFile], text.substr(0, text.size() - 2));
    EXPECT_EQ(sys.keys[User].count("AutoConfigURL"), 0u);
    EXPECT_EQ(sys.log.end()[-3], L"openW -2147483646 " + Wide(WinHttpKey) + L" 258");  // in the 64-bit registry
    EXPECT_EQ(sys.keys[User]["ProxyEnable"], (RegistryValue{4, Number(0)}));
    EXPECT_EQ(sys.keys[WinHttpKey]["WinHttpSettings"].bytes, Number(0x28) + Number(7) + Number(1) + Number(0) + Number(0));
}

}  // namespace
