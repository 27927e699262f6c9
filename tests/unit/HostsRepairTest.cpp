// The start-up check and the three repair methods, driven by scripted answers.
#include "Fakes.h"
#include "app/Caption.h"

namespace {

using enum Answer;

static_assert(MainCaption.starts_with(L"Хостовик сайтов| by "));
const std::wstring Caption(MainCaption);
const std::wstring Detection = L"Эвристическое обнаружение | " + Caption;

const Shown Modified{L"Внимание! Возможно был изменен файл ''hosts'', заменить его на оригинальный?", 4 + 16,
                     Detection};
const Shown Unmodified{L"Файл ''hosts'' НЕ был изменен, продолжить загрузку программы?", 4 + 64, Detection};
const Shown M1Warning{
    L"Внимание! После нажатия на кнопку ''ОК'' Сайты будут разблокированы. Если сайты не разблокировались, то "
    L"попробуйте перезагрузить Ваш компьютер, если не помогло, попробуйте остальные 2 способа и помните данная "
    L"программа НЕ гарантирует разблокировки компьютера!",
    0 + 64, Caption};
const Shown M1Done{
    L"Сайты были разблокированы, необходимо произвести перезагрузку компьютера, если перезагрузка не помогла, "
    L"попробуйте ''Способ №2''. После нажатия на кнопку ''OK'', программа закроется!",
    0 + 64, Caption};
const Shown M2Warning{
    L"Внимание! Данный способ лучше использовать, ТОЛЬКО в том случае, если 1-й способ не помог!", 0 + 64,
    L"Предупреждение!"};
const Shown M2Question{
    L"Сайты были разблокированы, необходимо произвести перезагрузку компьютера, если перезагрузка не помогла, "
    L"попробуйте способ №3! Произвести перезагрузку компьтера сейчас?",
    4 + 64, Caption};
const Shown M3Question{
    L"Внимание! После данного способа, Вам придется снова включить Ваше соединения (возможно потребуется "
    L"перезагрузка компьютера)!Продолжить?",
    4 + 64, Caption};

struct Rig {
    Journal log;
    ScriptedUi ui;
    FakeWindows windows{log};
    FakeEnvironment env;
    FakeFileSystem fs{log};
    FakeClock clock;
    FakeProcesses processes{log};
    FakeReboot reboot{log};
    HostsRepair repair{{ui, windows, env, fs, Windows1251(), clock, processes, reboot}};

    Rig(std::optional<std::string> hosts, std::deque<Answer> answers) : ui(log, std::move(answers)) {
        env.vars[L"windir"] = L"C:\\WINDOWS";
        if (hosts) fs.files[H] = *hosts;
        reboot.platformId = 1;  // no privilege calls; Module1's own tests cover those
    }
    bool Logged(const std::wstring& entry) const { return std::count(log.begin(), log.end(), entry) > 0; }
};

TEST(IntegrityCheck, CountsOnlyLineFeeds) {
    const struct { const char* name; std::optional<std::string> hosts; bool stock; } cases[] = {
        {"stock", Stock, true},
        {"19 bare LFs", std::string(19, '\n'), true},
        {"blocking entries in place of stock lines", [] {
             std::string s;
             for (int i = 0; i < 19; ++i) s += "127.0.0.1 vk.com\r\n";
             return s;
         }(), true},
        {"stock and one more line", Stock + "\r\n", false},
        {"CR line ends", [] {
             std::string s = Stock;
             std::erase(s, '\n');
             return s;
         }(), false},
        {"empty", "", false},
        {"missing", std::nullopt, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Files before = c.hosts ? Files{{H, *c.hosts}} : Files{};
        Rig r(c.hosts, {c.stock ? Yes : No});
        r.repair.RunIntegrityCheck();
        EXPECT_EQ(r.ui.shown, std::vector<Shown>{c.stock ? Unmodified : Modified});
        EXPECT_EQ(r.fs.files, before);
        EXPECT_FALSE(r.Logged(L"unload main"));
    }
}

TEST(IntegrityCheck, StockFileShowsTheViewAndNoUnloadsTheMainWindow) {
    std::wstring stockView;
    for (std::wstring_view line : StockHostsTemplate) stockView += std::wstring(line) + L"\r\n";
    for (Answer answer : {Yes, No}) {
        Rig r(Stock, {answer});
        r.repair.RunIntegrityCheck();
        EXPECT_EQ(r.windows.view, stockView);
        Journal expected{L"read " + H, L"view", L"msg 68"};
        if (answer == No) expected.push_back(L"unload main");
        EXPECT_EQ(r.log, expected);
    }
}

TEST(IntegrityCheck, ModifiedFileAnsweredNoIsOnlyShown) {
    Rig r(Old, {No});
    r.repair.RunIntegrityCheck();
    EXPECT_EQ(r.windows.view, L"127.0.0.1 vk.com\r\n\u2400яП\r\n");
    EXPECT_EQ(r.log, (Journal{L"read " + H, L"view", L"msg 20"}));
    EXPECT_EQ(r.fs.files, (Files{{H, Old}}));
}

TEST(IntegrityCheck, ModifiedFileAnsweredYesIsReplacedOnlyAfterTheSecondMessage) {
    Rig r(Old, {Yes, Ok, Ok});
    std::vector<std::string> hostsWhileShown;
    r.ui.onShow = [&] { hostsWhileShown.push_back(r.fs.files[H]); };
    r.repair.RunIntegrityCheck();
    EXPECT_EQ(r.ui.shown, (std::vector<Shown>{Modified, M1Warning, M1Done}));
    EXPECT_EQ(hostsWhileShown, (std::vector<std::string>{Old, Old, Old}));
    EXPECT_EQ(r.fs.files, (Files{{H, Stock}, {B, Old}}));
    EXPECT_EQ(r.log, (Journal{L"read " + H, L"view", L"msg 20", L"msg 64", L"read " + H, L"create-new " + B,
                              L"write " + B, L"close " + B, L"probe " + H, L"create " + N, L"write " + N, L"msg 64",
                              L"close " + N, L"replace " + H, L"unload main", L"unload about"}));
}

TEST(IntegrityCheck, MissingFileAnsweredYesIsCreated) {
    Rig r(std::nullopt, {Yes, Ok, Ok});
    r.repair.RunIntegrityCheck();
    EXPECT_EQ(r.windows.view, L"");
    EXPECT_EQ(r.ui.shown, (std::vector<Shown>{Modified, M1Warning, M1Done}));
    EXPECT_EQ(r.fs.files, (Files{{H, Stock}}));
    EXPECT_EQ(Journal(r.log.end() - 2, r.log.end()), (Journal{L"unload main", L"unload about"}));
}

TEST(HostsPath, IsWindirAndTheSuffixJoinedAsTheyAre) {
    const std::wstring suffix = L"\\System32\\drivers\\etc\\hosts";
    const struct { std::optional<std::wstring> windir; std::wstring path; } cases[] = {
        {L"C:\\WINDOWS", H},
        {L"C:\\WINDOWS\\", L"C:\\WINDOWS\\" + suffix},
        {L"d:\\win", L"d:\\win" + suffix},
        {L"", suffix},
        {std::nullopt, suffix},
    };
    for (const auto& c : cases) {
        Rig r(std::nullopt, {No});
        if (c.windir) r.env.vars[L"windir"] = *c.windir;
        else r.env.vars.clear();
        r.repair.RunIntegrityCheck();
        EXPECT_EQ(r.log.at(0), L"read " + c.path);
        EXPECT_EQ(r.repair.WindowsDir, c.windir.value_or(L""));
    }
}

TEST(Method2, RewritesBeforeItAsksAndRestartsOnlyOnYes) {
    for (Answer answer : {Yes, No}) {
        Rig r(Old, {Ok, answer});
        r.repair.RepairMethod2();
        EXPECT_EQ(r.ui.shown, (std::vector<Shown>{M2Warning, M2Question}));
        EXPECT_EQ(r.fs.files, (Files{{H, Stock}, {B, Old}}));
        Journal expected{L"msg 64",       L"read " + H,  L"create-new " + B, L"write " + B,
                         L"close " + B,   L"delete " + H, L"probe " + H,     L"create " + N,
                         L"write " + N,   L"close " + N,  L"replace " + H,   L"msg 68"};
        if (answer == Yes) expected.insert(expected.end(), {L"GetVersionExA 148 zeroed", L"ExitWindowsEx 6 0"});
        expected.insert(expected.end(), {L"unload main", L"unload about"});
        EXPECT_EQ(r.log, expected);
    }
}

TEST(Method2, WritesTheStockFileWhenThereIsNone) {
    Rig r(std::nullopt, {Ok, No});
    r.repair.RepairMethod2();
    EXPECT_EQ(r.fs.files, (Files{{H, Stock}}));
    EXPECT_TRUE(r.Logged(L"unload main"));
}

TEST(Method3, NoChangesNothingYesFlushesTheRoutesAndCloses) {
    for (Answer answer : {No, Yes}) {
        Rig r(Old, {answer});
        r.repair.RepairMethod3();
        EXPECT_EQ(r.ui.shown, std::vector<Shown>{M3Question});
        const Journal expected = answer == No
            ? Journal{L"msg 68"}
            : Journal{L"msg 68", L"start route -f 2", L"unload main", L"unload about"};
        EXPECT_EQ(r.log, expected);
        EXPECT_EQ(r.fs.files, (Files{{H, Old}}));
    }
}

TEST(Repairs, AFailureEndsTheMethodWithItsCodeAndKeepsTheFile) {
    const struct {
        const char* name;
        void (HostsRepair::*method)();
        std::deque<Answer> answers;
        std::function<void(Rig&)> breakIt;
        std::uint32_t code;
        std::size_t messages;
        bool wrote;
    } cases[] = {
        {"1: backup", &HostsRepair::RepairMethod1, {Ok}, [](Rig& r) { r.fs.FailOn(L"create-new", B, 5); }, 5, 1, false},
        {"1: write", &HostsRepair::RepairMethod1, {Ok}, [](Rig& r) { r.fs.FailOn(L"write", N, ErrorDiskFull); },
         ErrorDiskFull, 1, true},
        {"1: replace", &HostsRepair::RepairMethod1, {Ok, Ok}, [](Rig& r) { r.fs.FailOn(L"replace", H, 5); }, 5, 2,
         true},
        {"2: delete", &HostsRepair::RepairMethod2, {Ok}, [](Rig& r) { r.fs.FailOn(L"delete", H, 5); }, 5, 1, false},
        {"3: route", &HostsRepair::RepairMethod3, {Yes}, [](Rig& r) { r.processes.failWith = 2; }, 2, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r(Old, c.answers);
        c.breakIt(r);
        EXPECT_EQ(FailureCode([&] { (r.repair.*c.method)(); }), c.code);
        EXPECT_EQ(r.ui.shown.size(), c.messages);
        EXPECT_EQ(r.fs.files[H], Old);
        EXPECT_EQ(r.fs.files.count(N), 0u);
        EXPECT_EQ(r.Logged(L"create " + N), c.wrote);
        EXPECT_FALSE(r.Logged(L"unload main"));
    }
}

}  // namespace
