// The start-up check and the three repair methods, driven by scripted answers.
#include "Fakes.h"
#include "app/Caption.h"
#include "hosts/HostsMessages.h"

namespace {

using enum Answer;

const std::wstring Caption(MainCaption), Detection = DetectionTitle();
// Styles: Yes/No 4, critical 16, information 64.
const std::wstring Modified = Msg(4 + 16, Detection, ModifiedWarning);
const std::wstring Unmodified = Msg(4 + 64, Detection, UnmodifiedQuestion);
const std::wstring M1Warning = Msg(64, Caption, Method1Warning), M1Done = Msg(64, Caption, Method1Done);
const std::wstring M2Warning = Msg(64, L"Предупреждение!", Method2Warning);
const std::wstring M2Question = Msg(4 + 64, Caption, Method2Question), M3Question = Msg(4 + 64, Caption, Method3Question);

const Journal Check{L"read " + H, L"view"};
const Journal Copying{L"read " + H, L"create-new " + B};
const Journal Backup = Copying + Journal{L"write " + B, L"close " + B};
const Journal Write{L"probe " + H, L"create " + N, L"write " + N};
const Journal Replace{L"close " + N, L"replace " + H};
const Journal Unload{L"unload main", L"unload about"};

struct Rig {
    FakeSystem sys;
    HostsRepair repair{sys.Get(), sys};
    Rig(const std::optional<std::string>& hosts, std::deque<Answer> answers) {
        if (hosts) sys.files[H] = *hosts;
        sys.answers = std::move(answers);
    }
};

TEST(HostsRepair, EachRunShowsAsksAndChangesOnlyWhatItShould) {
    const auto check = &HostsRepair::RunIntegrityCheck;
    const auto m1 = &HostsRepair::RepairMethod1, m2 = &HostsRepair::RepairMethod2, m3 = &HostsRepair::RepairMethod3;
    const Files kept{{H, Old}}, copied{{H, Old}, {B, Old}};
    const Files replaced{{H, Stock}, {B, Old}}, stockOnly{{H, Stock}};
    const struct {
        const char* name;
        void (HostsRepair::*run)();
        std::optional<std::string> hosts;
        std::deque<Answer> answers;
        Journal expected;
        Files after;
        std::wstring failing = {};  // this call fails with code 5, which the run ends with
    } cases[] = {
        // The check counts LF bytes only.
        {"stock, stop", check, Stock, {No}, Check + Journal{Unmodified, L"unload main"}, stockOnly},
        {"19 bare LFs", check, std::string(19, '\n'), {Yes}, Check + Journal{Unmodified}, {{H, std::string(19, '\n')}}},
        {"stock and one more line", check, Stock + "\r\n", {No}, Check + Journal{Modified}, {{H, Stock + "\r\n"}}},
        // Method 1 replaces the file only once its second message is dismissed.
        {"modified, repaired", check, Old, {Yes, Ok, Ok},
         Check + Journal{Modified, M1Warning} + Backup + Write + Journal{M1Done} + Replace + Unload, replaced},
        {"missing, created", check, std::nullopt, {Yes, Ok, Ok},
         Check + Journal{Modified, M1Warning, L"read " + H} + Write + Journal{M1Done} + Replace + Unload, stockOnly},
        {"method 1 on the stock file: no copy", m1, Stock, {Ok, Ok},
         Journal{M1Warning, L"read " + H} + Write + Journal{M1Done} + Replace + Unload, stockOnly},
        // Method 2 rewrites before it asks, and restarts only on Yes.
        {"method 2, restart", m2, Old, {Ok, Yes},
         Journal{M2Warning} + Backup + Journal{L"delete " + H} + Write + Replace +
             Journal{M2Question, L"GetVersionExA 148", L"ExitWindowsEx 6 0"} + Unload,
         replaced},
        {"method 2 on a missing file, no restart", m2, std::nullopt, {Ok, No},
         Journal{M2Warning, L"read " + H, L"delete " + H} + Write + Replace + Journal{M2Question} + Unload, stockOnly},
        {"method 3, no", m3, Old, {No}, {M3Question}, kept},
        {"method 3, flush the routes", m3, Old, {Yes}, Journal{M3Question, L"start route -f 2"} + Unload, kept},
        // A failure ends the run at once: nothing more is shown and no window is closed.
        {"method 1, no copy made", m1, Old, {Ok}, Journal{M1Warning} + Copying, kept, L"create-new " + B},
        {"method 1, replace fails", m1, Old, {Ok, Ok},
         Journal{M1Warning} + Backup + Write + Journal{M1Done} + Replace + Journal{L"delete " + N}, copied,
         L"replace " + H},
        {"method 2, no copy made", m2, Old, {Ok}, Journal{M2Warning} + Copying, kept, L"create-new " + B},
        {"method 2, delete fails", m2, Old, {Ok}, Journal{M2Warning} + Backup + Journal{L"delete " + H},
         copied, L"delete " + H},
        {"method 3, route fails", m3, Old, {Yes}, {M3Question, L"start route -f 2"}, kept, L"start route -f 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r(c.hosts, c.answers);
        if (!c.failing.empty()) r.sys.fail[c.failing] = 5;
        EXPECT_EQ(FailureCode([&] { (r.repair.*c.run)(); }), c.failing.empty() ? 0u : 5u);
        EXPECT_EQ(r.sys.log, c.expected);
        EXPECT_EQ(r.sys.files, c.after);
    }
}

TEST(HostsRepair, TheCheckShowsTheFileUnderWindirAsItIs) {
    Rig r(Old, {No});
    r.repair.RunIntegrityCheck();
    EXPECT_EQ(r.sys.view, L"127.0.0.1 vk.com\r\n\u2400яП\r\n");
    EXPECT_EQ(HostsPathFor(L"C:\\WINDOWS\\"), L"C:\\WINDOWS\\\\System32\\drivers\\etc\\hosts");  // joined as they are
    Rig unset(std::nullopt, {No});
    unset.sys.windir.reset();  // the suffix alone
    unset.repair.RunIntegrityCheck();
    EXPECT_EQ(unset.sys.log.at(0), L"read \\System32\\drivers\\etc\\hosts");
}

}  // namespace
