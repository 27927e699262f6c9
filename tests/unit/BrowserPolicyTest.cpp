// The sites malware blocks or fakes, and the browsers' policies: what is named, what is judged
// malware's on a computer no one manages, and how it is undone.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "hosts/KnownSites.h"
#include "lookup/BrowserPolicies.h"
#include "lookup/LookupPath.h"
#include "lookup/Undo.h"

namespace {

const RegistryValue One{4, std::string("\1\0\0\0", 4)};

TEST(KnownSites, ANameCountsWithItsSubdomainsNeverALookAlike) {
    const std::optional<SiteKind> none;
    const std::pair<const char*, std::optional<SiteKind>> names[] = {{"kaspersky.ru", SiteKind::Security},
        {"DOWNLOAD.Kaspersky.RU.", SiteKind::Security}, {"online.sberbank.ru", SiteKind::Bank},
        {"update.microsoft.com", SiteKind::Update}, {"vk.com", SiteKind::Account}, {"microsoft.com", none},
        {"notkaspersky.ru", none}, {"kaspersky.ru.evil.com", none}, {"vk.co", none}, {"", none}};
    for (const auto& [name, kind] : names) EXPECT_EQ(KnownSiteOf(name), kind) << name;
    // A block-list filter blocks its subdomains too, unless it starts with a dot.
    const std::pair<const char*, bool> filters[] = {{"kaspersky.ru", true}, {"*.drweb.ru", true},
        {"https://www.eset.com:443/ru/", true}, {".virustotal.com", true}, {"microsoft.com", true},
        {".microsoft.com", false}, {"*.microsoft.com", true}, {"vk.com", false}, {"sberbank.ru", false}, {"*", false},
        {"com", false}, {"notkaspersky.ru", false}, {"kaspersky.ru.evil.com", false}, {"file://*", false}};
    for (const auto& [filter, blocks] : filters) EXPECT_EQ(BlocksProtection(filter), blocks) << filter;
}

TEST(BrowserPolicies, ManagedWhenInADomainJoinedEnrolledOrUnknown) {
    const std::string enrolment = "SOFTWARE\\Microsoft\\Enrollments\\{E}";
    // clang-format off
    const struct { const char* name; FakeSystem::Keys keys; std::wstring fails; bool domain, managed; } cases[] = {
        {"no one's", {}, L"", false, false}, {"in a domain", {}, L"", true, true},
        {"joined to Entra ID", {{"SYSTEM\\CurrentControlSet\\Control\\CloudDomainJoin\\JoinInfo\\{T}", {}}}, L"", false, true},
        {"enrolled", {{enrolment, {{"EnrollmentState", One}, {"ProviderID", Sz(L"MS DM Server")}}}}, L"", false, true},
        {"Windows' own enrolment entry, no provider", {{enrolment, {{"EnrollmentState", One}}}}, L"", false, false},
        {"an enrolment ended", {{enrolment, {{"EnrollmentState", {4, std::string("\6\0\0\0", 4)}}, {"ProviderID",
            Sz(L"MS DM Server")}}}}, L"", false, false},
        {"the join information unreadable", {}, L"join information", false, true},
        {"the enrolments unreadable", {}, L"openW -2147483646 SOFTWARE\\Microsoft\\Enrollments 264", false, true}};
    // clang-format on
    for (const auto& c : cases) {
        FakeSystem sys;
        sys.keys = c.keys, sys.fail = {{c.fails, 5}}, sys.inDomain = c.domain;
        const Platform platform = sys.Get();  // the reader keeps it
        WindowsRegistry windows(platform, L"");
        PlaceReader reader(platform, &windows);
        EXPECT_EQ(Managed(reader), c.managed) << c.name;
    }
}

// Each browser's key, of the whole computer or of a user. "!": undone.
TEST(BrowserPolicies, EachBrowsersPoliciesNamedThoseOfNoOnesComputerUndone) {
    const std::wstring malware =
                           L" (компьютер не в домене и не под управлением организации: так делают вредоносные "
                           L"программы)",
                       edge = L"политика браузера (Microsoft Edge, весь компьютер): URLBlocklist ";
    // clang-format off
    const struct {
        const char* name;
        FakeSystem::Keys keys;
        std::vector<std::wstring> lines;
        bool system = false, domain = false;
    } cases[] = {
        {.name = "Chrome's proxy for the whole computer; Vivaldi's system proxy and list past 1 are nothing",
            .keys = {{"SOFTWARE\\Policies\\Google\\Chrome", {{"ProxyMode", Sz(L"fixed_servers")},
                {"ProxyServer", Sz(L"127.0.0.1:8080")}, {"ProxyBypassList", Sz(L"*")}}},
                {"SOFTWARE\\Policies\\Vivaldi", {{"ProxyMode", Sz(L"system")}}},
                {"SOFTWARE\\Policies\\Vivaldi\\URLBlocklist", {{"2", Sz(L"kaspersky.ru")}}}},
            .lines = {L"!политика браузера (Google Chrome, весь компьютер): ProxyMode = fixed_servers" + malware,
                L"!политика браузера (Google Chrome, весь компьютер): ProxyServer = 127.0.0.1:8080" + malware}},
        {.name = "a user's DNS over HTTPS in Yandex Browser; automatic mode is Chromium's default",
            .keys = {{"HKCU\\SOFTWARE\\Policies\\YandexBrowser", {{"DnsOverHttpsTemplates", Sz(L"https://d.evil/q")},
                {"DnsOverHttpsMode", Sz(L"automatic")}}}},
            .lines = {L"!политика браузера (Яндекс Браузер, пользователь): DnsOverHttpsTemplates = https://d.evil/q" +
                      malware}},
        {.name = "Edge's block list: security sites freed, another site kept",
            .keys = {{"SOFTWARE\\Policies\\Microsoft\\Edge\\URLBlocklist", {{"1", Sz(L"kaspersky.ru")},
                {"2", Sz(L"vk.com")}, {"3", Sz(L"*.drweb.ru")}}}, {"SOFTWARE\\Policies\\Microsoft\\Edge", {}}},
            .lines = {L"!" + edge + L"1 = kaspersky.ru" + malware, edge + L"2 = vk.com (может быть задано родителями "
                L"или организацией; удалить весь список: reg delete \"HKLM\\SOFTWARE\\Policies\\Microsoft\\Edge\\"
                L"URLBlocklist\" /f)", L"!" + edge + L"3 = *.drweb.ru" + malware}},
        {.name = "a signed-in user's forced Brave extension, named with how to remove it",
            .keys = {{"HKU\\S-1-5-21-7\\SOFTWARE\\Policies\\BraveSoftware\\Brave\\ExtensionInstallForcelist",
                {{"1", Sz(L"abc;https://x.evil/u")}}}, {"HKU\\S-1-5-21-7\\SOFTWARE\\Policies\\BraveSoftware\\Brave", {}}},
            .lines = {L"политика браузера (Brave, пользователь S-1-5-21-7): ExtensionInstallForcelist 1 = "
                L"abc;https://x.evil/u (принудительно установленное расширение может менять любую страницу; удалить: "
                L"reg delete \"HKU\\S-1-5-21-7\\SOFTWARE\\Policies\\BraveSoftware\\Brave\\ExtensionInstallForcelist\" "
                L"/v 1 /f)"},
            .system = true},
        {.name = "in a domain only named",
            .keys = {{"SOFTWARE\\Policies\\Chromium", {{"ProxyPacUrl", Sz(L"http://wpad/p.pac")}}},
                {"SOFTWARE\\Policies\\Chromium\\URLBlocklist", {{"1", Sz(L"kaspersky.ru")}}}},
            .lines = {L"политика браузера (Chromium, весь компьютер): ProxyPacUrl = http://wpad/p.pac (компьютер под "
                L"управлением организации, политика может быть её; удалить: reg delete \"HKLM\\SOFTWARE\\Policies\\"
                L"Chromium\" /v ProxyPacUrl /f)", L"политика браузера (Chromium, весь компьютер): URLBlocklist 1 = "
                L"kaspersky.ru (компьютер под управлением организации, политика может быть её; удалить: reg delete "
                L"\"HKLM\\SOFTWARE\\Policies\\Chromium\\URLBlocklist\" /f)"},
            .domain = true},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystem sys;
        sys.keys = c.keys, sys.rights.localSystem = c.system, sys.inDomain = c.domain;
        WindowsRegistry windows(sys.Get(), L"");
        const LookupReport report = ReadLookupPath(sys.Get(), &windows, H, false);
        std::vector<std::wstring> lines = report.notes;  // none
        for (const Finding& f : report.findings) lines.push_back((f.undo ? L"!" : L"") + Words(f));
        EXPECT_EQ(lines, c.lines);
    }
}

// A policy value is deleted; a block list keeps the other sites' entries, renumbered from 1 as
// Chromium reads it; the .reg holds the list once, whole, and browsers watch their keys themselves.
TEST(Undo, APolicyDeletedABlockListFreedAndRenumbered) {
    const std::string edge = "SOFTWARE\\Policies\\Microsoft\\Edge";
    FakeSystem sys;
    sys.keys = {{edge, {{"ProxyServer", Sz(L"p:1")}}},
        {edge + "\\URLBlocklist",
            {{"1", Sz(L"kaspersky.ru")}, {"2", Sz(L"vk.com")}, {"3", Sz(L"*.drweb.ru")}, {"4", Sz(L"ok.ru")}}}};
    WindowsRegistry windows(sys.Get(), L"");
    const Undone undone = UndoFindings(sys.Get(), ReadLookupPath(sys.Get(), &windows, H, false).findings, H);
    EXPECT_EQ(std::pair(undone.total, undone.done), std::pair(std::size_t{2}, std::size_t{2}));  // the list once
    // The proxy, and each entry freed; vk.com and ok.ru stay.
    EXPECT_EQ(undone.each, (std::vector<bool>{true, true, false, true, false}));
    EXPECT_EQ(sys.keys[edge].count("ProxyServer"), 0u);
    EXPECT_EQ(sys.keys[edge + "\\URLBlocklist"],
        (std::map<std::string, RegistryValue>{{"1", Sz(L"vk.com")}, {"2", Sz(L"ok.ru")}}));
    const std::string text =
        Utf16(L"\xFEFFWindows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\" + Wide(edge) +
              L"]\r\n\"ProxyServer\"=\"p:1\"\r\n\r\n[HKEY_LOCAL_MACHINE\\" + Wide(edge) +
              L"\\URLBlocklist]\r\n\"1\"=\"kaspersky.ru\"\r\n\"2\"=\"vk.com\"\r\n\"3\"=\"*.drweb."
              L"ru\"\r\n\"4\"=\"ok.ru\"\r\n\r\n");
    EXPECT_EQ(sys.files[undone.regFile], text.substr(0, text.size() - 2));
    EXPECT_NE(sys.log.back(), L"internet settings changed");
}

}  // namespace
