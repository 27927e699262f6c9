// What is handed to the system: the restart, the system information launcher and the links.
#include "Fakes.h"
#include "Module1/Module1.h"
#include "app/Caption.h"
#include "app/DllSearch.h"
#include "app/NestedSwitch.h"
#include "app/RegistryLists.h"
#include "app/Codepage.h"
#include "forms/Form1/Links.h"
#include "forms/frmAbout/SysInfo.h"

namespace {

using namespace std::string_literals;

const char ToolKey[] = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const char FolderKey[] = "SOFTWARE\\Microsoft\\Shared Tools Location";
// Titled with the application's title.
const std::wstring Unavailable = Msg(0, L"", L"System Information Is Unavailable At This Time");

// HKEY_LOCAL_MACHINE as a signed 32-bit value, access 0x2003F, through the ANSI calls.
Journal Missing(const char* key) { return {Entry(L"open -2147483646", key, L"131135 = 2")}; }
// Into a buffer of 1024 bytes; the key closed.
Journal Read(const char* key, const wchar_t* value) {
    return {Entry(L"open -2147483646", key, L"131135 = 0"), Entry(L"query 101", value, L"1024 = 0"), L"close 101"};
}
// By its full path, quoted on its command line, shown normally.
Journal Start(const std::wstring& path) { return {L"start " + path + L" | \"" + path + L"\" 1"}; }

TEST(RebootMachine, EnablesTheShutdownPrivilegeOnlyOnNtThenRequestsTheRestart) {
    const Journal privilege{
        L"OpenProcessToken 41 40",  // the current process; TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY
        L"LookupPrivilegeValueA \"\" \"SeShutdownPrivilege\"",
        // token, disable-all 0, {count 1, the LUID copied, enabled}, length 16, zeroed previous, length 4
        L"AdjustTokenPrivileges 77 0 { 1 2309737967 -2 2 } 16 previous 0 4",
    };
    for (std::uint32_t platformId : {2, 1, 0}) {  // NT, 9x, the version query failed
        for (bool force : {true, false}) {
            FakeSystem sys;
            sys.platformId = platformId;
            RebootMachine(sys, force);
            const Journal enabling = platformId == 2 ? privilege : Journal{};
            // EWX_REBOOT, with EWX_FORCE when forced
            const Journal restart{force ? L"ExitWindowsEx 6 0" : L"ExitWindowsEx 2 0"};
            EXPECT_EQ(sys.log, Journal{L"GetVersionExA 148"} + enabling + restart) << platformId << force;
        }
    }
    // A privilege that cannot be enabled (the token may lack it: success with ERROR_NOT_ALL_ASSIGNED)
    // or a refused restart is an error with the system's code, and nothing is tried after it.
    const Journal steps = Journal{L"GetVersionExA 148"} + privilege + Journal{L"ExitWindowsEx 6 0"};
    for (const auto& [step, code] : {std::pair{1, 5u}, {2, 1313u}, {3, 5u}, {3, 1300u}, {4, 1314u}}) {
        FakeSystem sys;
        sys.platformId = 2;
        sys.fail[steps[step]] = code;
        EXPECT_EQ(FailureOf([&] { RebootMachine(sys, true); }).first, code) << step;
        EXPECT_EQ(sys.log, Journal(steps.begin(), steps.begin() + step + 1)) << step;
    }
}

TEST(StartSysInfo, TriesThePathThenTheFolderElseSaysItIsUnavailable) {
    const RegistryValue tool{1, "C:\\Tools\\msinfo32.exe\0"s}, folder{1, "C:\\MSInfo\0"s};
    const Journal readTool = Read(ToolKey, L"PATH"), readFolder = Missing(ToolKey) + Read(FolderKey, L"MSINFO");
    const Journal lookup{L"lookup C:\\MSInfo\\MSINFO32.EXE"};
    // `there`: the program is where the registry says.
    // clang-format off
    const struct {
        const char* name; std::optional<RegistryValue> path, folder; bool there; Journal expected;
    } cases[] = {
        {"the first value, the second never read", tool, {}, true, readTool + Start(L"C:\\Tools\\msinfo32.exe")},
        {"a first value naming no program", tool, {}, false,
         readTool + Start(L"C:\\Tools\\msinfo32.exe") + Journal{Unavailable}},
        {"only the folder", {}, folder, true, readFolder + lookup + Start(L"C:\\MSInfo\\MSINFO32.EXE")},
        // The value's data up to the reported size, less one terminating NUL.
        {"ANSI text without a NUL", RegistryValue{1, "\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xE0"}, {}, true,
         readTool + Start(L"Программа")},
        {"exactly 1024 bytes", RegistryValue{1, std::string(1024, 'x')}, {}, true,
         readTool + Start(std::wstring(1024, L'x'))},
        {"no data: nothing read before the buffer", RegistryValue{1, ""}, {}, true, readTool + Journal{Unavailable}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystem sys;
        if (c.path) sys.keys[ToolKey]["PATH"] = *c.path;
        if (c.folder) sys.keys[FolderKey]["MSINFO"] = *c.folder;
        if (c.there) sys.files[L"C:\\MSInfo\\MSINFO32.EXE"];
        else sys.fail[Start(L"C:\\Tools\\msinfo32.exe")[0]] = 2;
        if (c.expected.back() == Unavailable) sys.answers = {Answer::Ok};
        SysInfo(sys.Get()).StartSysInfo();
        EXPECT_EQ(sys.log, c.expected);
    }
}

TEST(Links, OpenTheFullAddressAsTheDesktopsUserElseShowIt) {
    FakeSystem sys;
    OpenWebPage(sys, HostsArticle, [&] { sys.log.push_back(L"unopened"); });
    EXPECT_EQ(sys.log, Journal{L"open as the desktop's user http://www.ru.wikipedia.org/wiki/Hosts"});
    sys.desktopShell = false;  // no Explorer to ask: nothing starts from the elevated program
    sys.answers = {Answer::Ok};
    OpenWebPage(sys, ForumPage, [&] { ShowOpenByHand(sys.Get(), ForumPage); });
    EXPECT_EQ(
        sys.log.back(), Msg(64, MainCaption, L"Откройте этот адрес в браузере:\nhttp://www.example.com/forum/3-22-1"));
}

TEST(DllSearch, TheSystemFolderOnlyWhereWindowsCanElseNeverTheCurrentFolder) {
    for (const bool newer : {true, false}) {
        FakeSystem sys;
        sys.defaultDllDirectories = newer;
        LoadDllsFromSystemOnly(sys);
        EXPECT_EQ(sys.log, Journal{newer ? L"SetDefaultDllDirectories 2048" : L"SetDllDirectoryW \"\""});
        sys.fail[sys.log[0]] = 87;
        EXPECT_EQ(FailureOf([&] { LoadDllsFromSystemOnly(sys); }).first, 87u);
    }
}

// A REG_MULTI_SZ's bytes: each text with its NUL, then the list's own NUL.
std::string MultiSz(std::initializer_list<std::wstring_view> texts) {
    std::string bytes;
    for (std::wstring_view t : texts) bytes += RegistryBytes(t);
    return bytes + std::string(2, '\0');
}

TEST(PendingMovesIn, ReadsThePairsMoveFileExKeeps) {
    // clang-format off
    const struct { const char* name; std::string value; std::vector<PendingMove> moves; } rows[] = {
        {"a replace: its target marked with !", MultiSz({L"\\??\\C:\\new", L"!\\??\\C:\\hosts"}),
         {{L"C:\\new", L"C:\\hosts"}}},
        {"a deletion: an empty target", MultiSz({L"\\??\\C:\\old", L""}), {{L"C:\\old", L""}}},
        {"two moves in order", MultiSz({L"\\??\\C:\\a", L"!\\??\\C:\\b", L"\\??\\C:\\c", L""}),
         {{L"C:\\a", L"C:\\b"}, {L"C:\\c", L""}}},
        {"a lone name before the list's end: a deletion", MultiSz({L"\\??\\C:\\a"}), {{L"C:\\a", L""}}},
        {"a pair without its source is skipped", MultiSz({L"", L"!\\??\\C:\\b", L"\\??\\C:\\c", L""}),
         {{L"C:\\c", L""}}},
        {"an odd last byte is no character", MultiSz({L"\\??\\C:\\a", L"\\??\\C:\\b"}) + "x",
         {{L"C:\\a", L"C:\\b"}}},
        {"an empty value", "", {}},
    };
    // clang-format on
    const auto pairs = [](const std::vector<PendingMove>& moves) {
        std::vector<std::pair<std::wstring, std::wstring>> all;
        for (const PendingMove& m : moves) all.emplace_back(m.from, m.to);
        return all;
    };
    for (const auto& row : rows) EXPECT_EQ(pairs(PendingMovesIn(row.value)), pairs(row.moves)) << row.name;
}

// The backup and restore privileges around a call that makes another such call.
TEST(NestedSwitch, AnInnerScopeKeepsTheOuterOneOn) {
    std::vector<bool> set;
    NestedSwitch rights([&](bool on) { set.push_back(on); });
    rights.Enter();
    rights.Enter();
    rights.Leave();
    EXPECT_EQ(set, (std::vector<bool>{true}));  // still on for the outer call
    rights.Leave();
    EXPECT_EQ(set, (std::vector<bool>{true, false}));
}

// A ProxyEnable that malware stores as text must not read as a number it never held.
TEST(RegistryKey, NumberValueTakesADwordOfFourBytesOnly) {
    EXPECT_EQ(RegistryKey::NumberValue(RegistryValue{win::RegDword, std::string("\1\0\0\0", 4)}), 1u);
    EXPECT_EQ(RegistryKey::NumberValue(RegistryValue{win::RegSz, std::string("1\0\0\0", 4)}), std::nullopt);
    EXPECT_EQ(RegistryKey::NumberValue(RegistryValue{win::RegDword, std::string("\1\0", 2)}), std::nullopt);
}

}  // namespace
