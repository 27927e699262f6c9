// What the windows hand to the system: the system information launcher and the links.
#include "Fakes.h"

namespace {

using namespace std::string_literals;

const std::string ToolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string FolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const Shown Unavailable{L"System Information Is Unavailable At This Time", 0, L"Хостовик"};

// Root HKEY_LOCAL_MACHINE as a signed 32-bit value, options 0, access 0x2003F.
std::wstring Open(const std::string& key, int status) {
    return L"open -2147483646 " + Widen(key) + L" 0 0x2003f = " + std::to_wstring(status);
}
// A zeroed buffer of 1024 bytes.
std::wstring Query(const wchar_t* value, int status) {
    return L"query 101 " + std::wstring(value) + L" zeroed 1024 = " + std::to_wstring(status);
}

struct SysInfoRig {
    Journal log;
    FakeRegistry registry{log};
    FakeFileLookup lookup{log};
    FakeProcesses processes{log};
    ScriptedUi ui;
    SysInfo sysInfo{registry, lookup, processes, ui, Windows1251(), L"Хостовик"};
    explicit SysInfoRig(std::deque<Answer> answers = {}) : ui(log, std::move(answers)) {}
};

TEST(StartSysInfo, TriesThePathThenTheFolderElseSaysItIsUnavailable) {
    const struct {
        const char* name;
        std::optional<RegValue> path, folder;
        std::set<std::wstring> files;
        std::uint32_t startFails;
        Journal expected;
    } cases[] = {
        {"first value: started as it is, the second never read", RegValue{1, "C:\\Tools\\msinfo32.exe\0"s}, {}, {}, 0,
         {Open(ToolKey, 0), Query(L"PATH", 0), L"close 101", L"start \"C:\\Tools\\msinfo32.exe\" 1"}},
        {"first value naming no program", RegValue{1, "C:\\Tools\\msinfo32.exe\0"s}, {}, {}, 2,
         {Open(ToolKey, 0), Query(L"PATH", 0), L"close 101", L"start \"C:\\Tools\\msinfo32.exe\" 1", L"msg 0"}},
        {"only the folder", {}, RegValue{1, "C:\\MSInfo\0"s}, {L"C:\\MSInfo\\MSINFO32.EXE"}, 0,
         {Open(ToolKey, 2), L"close 0", Open(FolderKey, 0), Query(L"MSINFO", 0), L"close 101",
          L"lookup C:\\MSInfo\\MSINFO32.EXE", L"start \"C:\\MSInfo\\MSINFO32.EXE\" 1"}},
        {"a folder ending in a backslash", {}, RegValue{1, "C:\\MSInfo\\\0"s}, {L"C:\\MSInfo\\\\MSINFO32.EXE"}, 0,
         {Open(ToolKey, 2), L"close 0", Open(FolderKey, 0), Query(L"MSINFO", 0), L"close 101",
          L"lookup C:\\MSInfo\\\\MSINFO32.EXE", L"start \"C:\\MSInfo\\\\MSINFO32.EXE\" 1"}},
        {"a folder without the program", {}, RegValue{1, "C:\\MSInfo"s}, {}, 0,
         {Open(ToolKey, 2), L"close 0", Open(FolderKey, 0), Query(L"MSINFO", 0), L"close 101",
          L"lookup C:\\MSInfo\\MSINFO32.EXE", L"msg 0"}},
        {"neither", {}, {}, {}, 0, {Open(ToolKey, 2), L"close 0", Open(FolderKey, 2), L"close 0", L"msg 0"}},
        {"a first value over 1024 bytes counts as missing", RegValue{1, std::string(1025, 'x')}, {}, {}, 0,
         {Open(ToolKey, 0), Query(L"PATH", ErrorMoreData), L"close 101", Open(FolderKey, 2), L"close 0", L"msg 0"}},
        {"a first value without data", RegValue{1, ""}, {}, {}, 0,
         {Open(ToolKey, 0), Query(L"PATH", 0), L"close 101", L"msg 0"}},
        {"a first value of REG_EXPAND_SZ starts an empty path", RegValue{2, "%SystemRoot%\\msinfo32.exe\0"s}, {}, {}, 2,
         {Open(ToolKey, 0), Query(L"PATH", 0), L"close 101", L"start \"\" 1", L"msg 0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool fails = c.expected.back() == L"msg 0";
        SysInfoRig r(fails ? std::deque<Answer>{Answer::Ok} : std::deque<Answer>{});
        if (c.path) r.registry.keys[ToolKey]["PATH"] = *c.path;
        if (c.folder) r.registry.keys[FolderKey]["MSINFO"] = *c.folder;
        r.lookup.files = c.files;
        r.processes.failWith = c.startFails;
        r.sysInfo.StartSysInfo();
        EXPECT_EQ(r.log, c.expected);
        EXPECT_EQ(r.ui.shown, fails ? std::vector<Shown>{Unavailable} : std::vector<Shown>{});
    }
}

TEST(GetKeyValue, KeepsTheDataUpToTheReportedSizeLessATerminatingNul) {
    const struct { const char* name; std::uint32_t type; std::string data; std::wstring after; int status; } cases[] = {
        {"with its NUL", 1, "abc\0"s, L"abc", 0},
        {"without a NUL", 1, "abc", L"abc", 0},
        {"only the last NUL goes", 1, "ab\0\0"s, L"ab\0"s, 0},
        {"exactly 1024 bytes", 1, std::string(1024, 'x'), std::wstring(1024, L'x'), 0},
        {"1025 bytes", 1, std::string(1025, 'x'), L"", ErrorMoreData},
        {"ANSI text", 1, "\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xE0\0"s, L"Программа", 0},
        {"REG_EXPAND_SZ leaves KeyVal alone", 2, "%windir%\0"s, L"before", 0},
        {"REG_DWORD", 4, "\x2A\0\0\0"s, L"42", 0},
    };
    for (const auto& c : cases) {
        SysInfoRig r;
        r.registry.keys["SOFTWARE\\Test"]["V"] = {c.type, c.data};
        std::wstring keyVal = L"before";
        EXPECT_EQ(r.sysInfo.GetKeyValue(HKeyLocalMachine, L"SOFTWARE\\Test", L"V", keyVal), c.status == 0) << c.name;
        EXPECT_EQ(keyVal, c.after) << c.name;
        EXPECT_EQ(r.log, (Journal{Open("SOFTWARE\\Test", 0), Query(L"V", c.status), L"close 101"})) << c.name;
    }
}

TEST(GetKeyValue, AKeyThatCannotBeOpenedForWritingIsNotRead) {
    SysInfoRig r;
    r.registry.keys["SOFTWARE\\Test"]["V"] = {1, "abc"};
    r.registry.openStatus["SOFTWARE\\Test"] = static_cast<std::int32_t>(win_error::AccessDenied);
    std::wstring keyVal = L"before";
    EXPECT_FALSE(r.sysInfo.GetKeyValue(HKeyLocalMachine, L"SOFTWARE\\Test", L"V", keyVal));
    EXPECT_EQ(keyVal, L"");
    EXPECT_EQ(r.log, (Journal{Open("SOFTWARE\\Test", 5), L"close 0"}));
}

TEST(Links, OpenTheAddressWithTheDefaultVerbInC) {
    const struct { const char* address; const char* path; } cases[] = {{HostsArticle, "/wiki/Hosts"},
                                                                      {ForumPage, "/forum/3-22-1"}};
    for (const auto& c : cases) {
        const std::string_view address = c.address;
        EXPECT_TRUE(address.starts_with("www.") && address.ends_with(c.path)) << address;
        EXPECT_EQ(address.find("://"), std::string_view::npos);
        Journal log;
        FakeShell shell(log);
        OpenWebPage(shell, 0x1234, c.address);
        EXPECT_EQ(log, Journal{L"ShellExecuteA 4660 null \"" + Widen(address) + L"\" null \"c:\\\" 1"});
    }
}

}  // namespace
