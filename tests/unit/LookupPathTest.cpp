// The other places of the lookup path: their values' bytes, and what is judged malware's.
#include <gtest/gtest.h>

#include "hosts/LookupPath.h"

namespace {

std::string Number(std::uint32_t n) {
    return {static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16), static_cast<char>(n >> 24)};
}
std::string Text(const std::string& s) { return Number(static_cast<std::uint32_t>(s.size())) + s; }

TEST(LookupPath, WinHttpSettingsDecoded) {
    const std::string header = Number(0x28) + Number(7);
    const struct { std::string value; WinHttpProxy::State state; std::string proxy, bypass; } cases[] = {
        {header + Number(1) + Text("") + Text(""), WinHttpProxy::Direct, "", ""},
        {header + Number(9) + Text("stale:1") + Text(""), WinHttpProxy::Direct, "stale:1", ""},  // kept, not used
        {header + Number(3) + Text("127.0.0.1:8080") + Text(""), WinHttpProxy::Named, "127.0.0.1:8080", ""},
        {header + Number(2) + Text("http=p:1;https=p:2") + Text("*.corp;<local>"), WinHttpProxy::Named,
         "http=p:1;https=p:2", "*.corp;<local>"},
        {header + Number(2) + Text("proxy:80").substr(0, 9), WinHttpProxy::Damaged, "", ""},  // cut in the proxy
        {header + Number(2) + Text("p:1"), WinHttpProxy::Damaged, "p:1", ""},  // no bypass list
        {header + Number(2) + Number(0xFFFFFFFF), WinHttpProxy::Damaged, "", ""},  // a length past the end
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
        {L"127.45.3.2", true, true},
        {L"LocalHost:3128", true, true},
        {L"localhost.", true, true},
        {L"[::1]:8888", true, true},
        {L"proxy.corp.example:3128", false, false},
        {L"http=proxy.corp:80;https=127.0.0.1:8443", true, false},  // one of the list is enough
        {L"http=proxy.corp:80 ftp=proxy.corp:21", false, false},
        {L"http://127.0.0.1:9000/proxy.pac", true, true},
        {L"http://pac.corp/127.0.0.1.pac", false, false},
        {L"FILE:///C:/Users/u/AppData/p.pac", false, true},
        {L"", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProxyToThisComputer(c.value), c.proxy) << c.value;
        EXPECT_EQ(ScriptOnThisComputer(c.value), c.script) << c.value;
    }
}

TEST(LookupPath, CatalogDllsAndUserHives) {
    EXPECT_EQ(CatalogDllPath(std::string("%SystemRoot%\\system32\\mswsock.dll\0\x01\x02", 38)),
              "%SystemRoot%\\system32\\mswsock.dll");
    EXPECT_EQ(CatalogDllPath(std::string(300, 'a')), std::string(260, 'a'));  // never past MAX_PATH
    EXPECT_TRUE(InSystemFolder(L"C:\\Windows\\System32\\MSWSOCK.dll", L"C:\\WINDOWS\\system32"));
    EXPECT_FALSE(InSystemFolder(L"C:\\Windows\\System32\\drivers\\x.dll", L"C:\\WINDOWS\\system32"));
    EXPECT_FALSE(InSystemFolder(L"C:\\Users\\u\\AppData\\Roaming\\lsp.dll", L"C:\\WINDOWS\\system32"));
    EXPECT_FALSE(InSystemFolder(L"lsp.dll", L"C:\\WINDOWS\\system32"));  // found by search
    for (const auto& [name, user] : {std::pair{L"S-1-5-21-1004336348-1177238915-682003330-1001", true},
                                     {L"S-1-5-21-1004336348-1177238915-682003330-1001_Classes", false},
                                     {L"S-1-5-18", false}, {L".DEFAULT", false}, {L"S-1-5-19", false}})
        EXPECT_EQ(IsUserHive(name), user) << name;
    EXPECT_EQ(OtherField({}), L"none");
    EXPECT_EQ(OtherField({{FindingKind::Winsock, L""}, {FindingKind::Proxy, L""}, {FindingKind::Winsock, L""}}),
              L"proxy,winsock");
}

}  // namespace
