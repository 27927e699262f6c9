// Firefox's own settings: its preference files read and cleaned, the proxy judged, the profiles found.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "lookup/FirefoxPrefs.h"
#include "lookup/LookupPath.h"
#include "lookup/Undo.h"
#include "lookup/WindowsRegistry.h"

namespace {

// Each statement as "name=value@line".
std::vector<std::string> Listed(const FirefoxPrefs& read) {
    std::vector<std::string> listed;
    for (const FirefoxPref& pref : read.prefs)
        listed.push_back(pref.name + "=" + pref.value + "@" + std::to_string(pref.line));
    return listed;
}

TEST(FirefoxPrefs, EachStatementReadWithItsLineDamageSkippedToTheNextLine) {
    // clang-format off
    const struct {
        const char* name;
        std::string file;
        std::vector<std::string> prefs;
        std::vector<std::size_t> damaged;
    } cases[] = {
        {"either quotes, each call, a number and true",
            "user_pref(\"a\", \"x\");\npref('b', 'y');\r\nsticky_pref(\"c\", -5);\nuser_pref(\"d\",true);",
            {"a=x@1", "b=y@2", "c=-5@3", "d=true@4"}, {}},
        {"escapes, a pair of \\u escapes for one character",
            R"(user_pref("e", "\"q\' \\ \n \x41 \u00e9 \ud83d\ude00");)",
            {"e=\"q' \\ \n A \xC3\xA9 \xF0\x9F\x98\x80@1"}, {}},
        {"comments between tokens, one over two lines",
            "// user_pref(\"no\", 1);\n# user_pref(\"no\", 2);\n"
            "user_pref(/* a\n b */ \"f\", 1); // f\n/**/pref(\"g\",2);",
            {"f=1@3", "g=2@5"}, {}},
        {"no semicolon, no value, a string never closed, a comment never closed, another call",
            "user_pref(\"h\", 1)\nuser_pref(\"i\", nope);\nuser_pref(\"j\", 'open);\nuser_pref(\"k\", 2);\n"
            "/* open\nlock_pref(\"l\", 1);\nuser_pref(\"m\", \"\\q\");",
            {"k=2@4"}, {1, 2, 3, 5, 6, 7}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FirefoxPrefs read = ParsePrefs(c.file);
        EXPECT_EQ(Listed(read), c.prefs);
        EXPECT_EQ(read.damaged, c.damaged);
    }
}

TEST(FirefoxNetwork, UserJsSetOverPrefsJs) {
    const FirefoxNetwork network = NetworkOf(ParsePrefs("user_pref(\"network.proxy.type\", 1);\n"
                                                        "user_pref(\"network.proxy.http\", \"127.0.0.1\");\n"
                                                        "user_pref(\"network.proxy.http_port\", 8080);\n"
                                                        "user_pref(\"network.proxy.socks\", \"s.corp\");\n"
                                                        "user_pref(\"network.trr.mode\", 2);\n"),
        ParsePrefs("user_pref(\"network.proxy.type\", 2);\n"
                   "user_pref(\"network.proxy.http\", \"p.corp\");\n"
                   "user_pref(\"network.proxy.autoconfig_url\", \"file:///C:/p.pac\");\n"
                   "user_pref(\"network.trr.uri\", \"https://d.example/q\");\n"));
    EXPECT_EQ(network.proxyType, 2);
    EXPECT_EQ(network.http + "|" + network.ssl + "|" + network.socks, "p.corp:8080||s.corp:0");
    EXPECT_EQ(network.autoconfigUrl, "file:///C:/p.pac");
    EXPECT_EQ(network.trrMode, 2);
    EXPECT_EQ(network.trrUri, "https://d.example/q");
    EXPECT_EQ(NetworkOf({}, {}).proxyType, 5);
}

TEST(FirefoxNetwork, SetWhenItsTypeUsesItHereOnlyOnThisComputer) {
    // clang-format off
    const struct { const char* name; FirefoxNetwork network; bool set, here; } cases[] = {
        {"a manual proxy on this computer", {.proxyType = 1, .ssl = "127.0.0.1:8080"}, true, true},
        {"a manual proxy elsewhere", {.proxyType = 1, .http = "proxy.corp:3128"}, true, false},
        {"manual with no server", {.proxyType = 1}, false, false},
        {"a script in a file", {.proxyType = 2, .autoconfigUrl = "file:///C:/Users/u/p.pac"}, true, true},
        {"a script elsewhere", {.proxyType = 2, .autoconfigUrl = "http://wpad.corp/p.pac"}, true, false},
        {"detected", {.proxyType = 4}, true, false},
        {"Windows' settings, whatever servers are named", {.proxyType = 5, .http = "127.0.0.1:1"}, false, false},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ProxySet(c.network), c.set);
        EXPECT_EQ(FirefoxProxyHere(c.network), c.here);
    }
    EXPECT_FALSE(DohSet({.trrMode = 1}));
    EXPECT_TRUE(DohSet({.trrMode = 3}));
}

TEST(FirefoxNetwork, WithoutProxyDropsEveryLineOfItsStatementsAndKeepsTheRest) {
    EXPECT_EQ(
        WithoutProxy("// head\r\nuser_pref(\"network.proxy.type\", 1);\r\nuser_pref(\"a\", 1);\r\n"
                     "user_pref(\"network.proxy.http\",\r\n \"127.0.0.1\");\r\nuser_pref(\"network.proxyish\", 1);\n"
                     "user_pref(\"network.proxy.share_proxy_settings\", true);"),
        "// head\r\nuser_pref(\"a\", 1);\r\nuser_pref(\"network.proxyish\", 1);\n");
}

TEST(FirefoxProfiles, EachProfilesFolderOnceUnderTheAppFolderOrAsWritten) {
    const std::wstring App = L"C:\\Users\\A\\AppData\\Roaming\\Mozilla\\Firefox";
    // clang-format off
    const struct { const char* name; std::string ini; std::vector<std::wstring> folders; } cases[] = {
        {"relative, then the same in other letters",
            "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/abc.default\r\n"
            "[Profile1]\r\nIsRelative=1\r\nPath=PROFILES/ABC.default\r\n",
            {App + L"\\Profiles\\abc.default"}},
        {"absolute, its UTF-8 and a stray byte decoded", "[Profile0]\nIsRelative=0\nPath=D:/Caf\xC3\xA9\xFF\n",
            {L"D:\\Caf\u00e9\uFFFD"}},
        {"no path, one climbing out, a share", "[Profile0]\nIsRelative=1\n[Profile1]\nIsRelative=1\nPath=a/../../x\n"
            "[Profile2]\nIsRelative=0\nPath=\\\\server\\p\n", {}},
        {"an installation's and the general sections are no profiles",
            "[Install308046B0AF4A39CB]\nDefault=Profiles/i\nIsRelative=1\nPath=Profiles/i\n[General]\nPath=g\n", {}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ProfileFolders(c.ini, App), c.folders);
    }
}

// Where Firefox keeps its profiles, as the tests plant them.
const std::wstring Roaming = L"C:\\Users\\me\\AppData\\Roaming\\Mozilla\\Firefox\\",
                   Relative = Roaming + L"Profiles\\a.default\\", Absolute = L"D:\\FF\\work\\",
                   Install = L"C:\\Program Files\\Mozilla Firefox\\";
const std::string Ini =
                      "[Profile0]\nIsRelative=1\nPath=Profiles/a.default\n[Profile1]\nIsRelative=0\nPath=D:\\FF\\work\n"
                      "[Profile2]\nIsRelative=1\nPath=Profiles/gone\n",
                  Here =
                      "user_pref(\"browser.startup.page\", 3);\r\nuser_pref(\"network.proxy.http\", \"127.0.0.1\");\r\n"
                      "user_pref(\"network.proxy.http_port\", 8080);\r\nuser_pref(\"network.proxy.type\", 1);\r\n";

// Each profile of the user's profiles.ini, relative, absolute or gone; the installation's policies
// and autoconfig. A proxy on this computer is undone, unless Firefox runs with its profile.
TEST(FirefoxProfiles, EachProfileReadTheProxyHereUndoneUnlessFirefoxRuns) {
    const std::wstring at = L"Firefox (пользователь, ", proxy = L"): прокси HTTP 127.0.0.1:8080";
    const struct {
        const char* name;
        bool running;
        std::vector<std::wstring> lines;
    } cases[] = {{"Firefox closed", false,
                     {L"!" + at + Relative.substr(0, Relative.size() - 1) + proxy +
                         L" (на этом компьютере: так делают вредоносные программы)"}},
        {"Firefox running", true,
            {at + Relative.substr(0, Relative.size() - 1) + proxy +
                L" (на этом компьютере: так "
                L"делают вредоносные программы; Firefox запущен: закройте его и запустите проверку снова)"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystem sys;
        sys.files = {{Roaming + L"profiles.ini", Ini}, {Relative + L"prefs.js", Here},
            {Absolute + L"user.js",
                "user_pref(\"network.trr.mode\", 3);\nuser_pref(\"network.trr.uri\", \"https://d.evil/q\");\n"
                "user_pref(\"network.proxy.type\", 2);user_pref(\"network.proxy.autoconfig_url\", "
                "\"http://wpad.corp/p\");\n"},
            {Install + L"distribution\\policies.json", R"({"policies": {"Proxy": {"Mode": "manual"}}})"},
            {Install + L"defaults\\pref\\autoconfig.js", "pref(\"general.config.filename\", \"mozilla.cfg\");\n"}};
        sys.keys = {{"SOFTWARE\\Mozilla\\Mozilla Firefox", {{"CurrentVersion", Sz(L"128.0 (x64 ru)")}}},
            {"SOFTWARE\\Mozilla\\Mozilla Firefox\\128.0 (x64 ru)\\Main", {{"Install Directory", Sz(Install)}}}};
        if (c.running) sys.held = {Relative + L"parent.lock"};
        WindowsRegistry windows(sys.Get(), L"");
        std::vector<std::wstring> lines;
        for (const Finding& f : ReadLookupPath(sys.Get(), &windows, H, false).findings)
            lines.push_back((f.undo ? L"!" : L"") + Words(f));
        std::vector<std::wstring> expected = {
            L"Firefox (" + Install +
                L"distribution\\policies.json): политика Proxy (сброс: удалить эту политику из файла, "
                L"если её задали не вы)",
            L"Firefox (" + Install +
                L"defaults\\pref\\autoconfig.js): автонастройка "
                L"(general.config.filename): " +
                Install + L"mozilla.cfg (сброс: удалить " + Install +
                L"defaults\\pref\\"
                L"autoconfig.js и файл автонастройки, если их поставили не вы)"};
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        expected.insert(expected.end(), {at + L"D:\\FF\\work): прокси сценарий http://wpad.corp/p (сброс: Firefox: "
                                              L"Настройки, Параметры сети: Использовать системные настройки прокси)",
                                            at + L"D:\\FF\\work): DNS через "
                                                 L"HTTPS, только он: https://d.evil/q (сброс: Firefox: Настройки, "
                                                 L"Приватность и защита, DNS через HTTPS: По "
                                                 L"умолчанию)"});
        EXPECT_EQ(lines, expected);
    }
}

// The old file kept beside it first; the other preferences kept byte for byte; no .reg for it.
TEST(Undo, FirefoxsProxyLinesTakenOutTheOldFileCopiedFirstNeverWhileItRuns) {
    FakeSystem sys;
    sys.files = {{Roaming + L"profiles.ini", Ini}, {Relative + L"prefs.js", Here}};
    WindowsRegistry windows(sys.Get(), L"");
    const std::vector<Finding> findings = ReadLookupPath(sys.Get(), &windows, H, false).findings;
    sys.held = {Relative + L"parent.lock"};  // started since the check
    const Undone refused = UndoFindings(sys.Get(), findings, H);
    ASSERT_EQ(refused.notUndone.size(), 1u);
    EXPECT_EQ(refused.notUndone[0].Code(), 32u);
    sys.held.clear();
    const Undone undone = UndoFindings(sys.Get(), findings, H);
    EXPECT_EQ(undone.regFile, L"");
    EXPECT_EQ(undone.copies, (std::vector<std::wstring>{Relative + L"prefs.js.20240102-030405.bak"}));
    EXPECT_EQ(sys.files[Relative + L"prefs.js.20240102-030405.bak"], Here);
    EXPECT_EQ(sys.files[Relative + L"prefs.js"], "user_pref(\"browser.startup.page\", 3);\r\n");
}

}  // namespace
