// The start-up check and the three repair methods, driven by scripted answers, with faults
// injected into every step that changes something.
#include "Fakes.h"
#include "app/Caption.h"
#include "hosts/HostsMessages.h"
#include "hosts/HostsText.h"

namespace {

using enum Answer;

const std::wstring Caption(MainCaption), Detection = DetectionTitle();
// Styles: Yes/No 4, critical 16, information 64.
const std::wstring Modified = Msg(4 + 16, Detection, ModifiedWarning);
const std::wstring Unmodified = Msg(4 + 64, Detection, UnmodifiedQuestion);
const std::wstring M1Warning = Msg(64, Caption, Method1Warning), M1Done = Msg(64, Caption, Method1Done);
const std::wstring M2Warning = Msg(64, L"Предупреждение!", Method2Warning);
const std::wstring M2Question = Msg(4 + 64, Caption, Method2Question), M3Question = Msg(4 + 64, Caption, Method3Question);
const std::wstring Route = L"start C:\\WINDOWS\\system32\\route.exe | \"C:\\WINDOWS\\system32\\route.exe\" -f 2";
const std::wstring Flush = L"run C:\\WINDOWS\\system32\\ipconfig.exe | \"C:\\WINDOWS\\system32\\ipconfig.exe\" /flushdns 30";
const std::wstring Where = L"read SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\DataBasePath";
const std::wstring RedirectMsg = Msg(4 + 16, Detection, RedirectWarning(L"D:\\evil"));

// Where Windows reads hosts from, then the file. The new content first, then the check that
// hosts can go, the copy, the replace, and the DNS cache cleared.
const Journal Check{Where, L"read " + H, L"view"};
const Journal NewFile{L"create " + T, L"write " + T, L"close " + T}, Written = NewFile + Journal{L"probe " + H};
const Journal Copied = Journal{L"read " + H, L"create " + B, L"write " + B, L"close " + B};
const Journal Replacing = Written + Copied + Journal{L"replace " + H}, Replaced = Replacing + Journal{Flush};
const Journal Unload{L"unload main", L"unload about"};
const Journal Restart{L"GetVersionExA 148", L"ExitWindowsEx 6 0"};

// Read-only, hidden and system on top of the usual archive bit; the archive bit alone after clearing them.
constexpr std::uint32_t Protected = 0x27;
const Journal Unprotected = Written + Copied + Journal{L"attributes " + H + L" 32", L"replace " + H};

struct Rig {
    FakeSystem sys;
    HostsRepair repair{sys.Get(), sys, true};
    Rig(const std::optional<std::string>& hosts, std::deque<Answer> answers) {
        if (hosts) sys.files[H] = *hosts;
        sys.answers = std::move(answers);
    }
};

TEST(HostsRepair, EachRunShowsAsksAndChangesOnlyWhatItShould) {
    const auto check = &HostsRepair::RunIntegrityCheck;
    const auto m1 = &HostsRepair::RepairMethod1, m2 = &HostsRepair::RepairMethod2, m3 = &HostsRepair::RepairMethod3;
    const Files kept{{H, Old}}, replaced{{H, Stock}, {B, Old}}, stockOnly{{H, Stock}};
    const std::wstring leftAsItWas = H + L"\n" + std::wstring(HostsLeftAsItWas);
    const struct {
        const char* name;
        void (HostsRepair::*run)();
        std::optional<std::string> hosts;
        std::deque<Answer> answers;
        Journal expected;
        Files after;
        std::wstring failing = {};  // this call fails with code 5, which the run ends with
        std::wstring subject = {};  // what the failure names
        std::uint32_t attributes = Plain;  // of the hosts file, before and after
        std::optional<RegistryText> where = {};  // DataBasePath
    } cases[] = {
        // The check counts LF bytes only.
        {"stock, stop", check, Stock, {No}, Check + Journal{Unmodified, L"unload main"}, stockOnly},
        {"19 bare LFs", check, std::string(19, '\n'), {Yes}, Check + Journal{Unmodified}, {{H, std::string(19, '\n')}}},
        {"stock and one more line", check, Stock + "\r\n", {No}, Check + Journal{Modified}, {{H, Stock + "\r\n"}}},
        // Windows reading hosts from elsewhere is told of first; Yes puts the default back.
        {.name = "redirected, reset", .run = check, .hosts = Stock, .answers = {Yes, Ok, Yes},
         .expected = {Where, RedirectMsg, L"set " + Where.substr(5) + L" 2 %SystemRoot%\\System32\\drivers\\etc",
                      Msg(64, Caption, RedirectReset(L"D:\\evil")), L"read " + H, L"view", Unmodified},
         .after = stockOnly, .where = RegistryText{2, L"D:\\evil"}},
        {.name = "redirected, kept", .run = check, .hosts = Stock, .answers = {No, Yes},
         .expected = {Where, RedirectMsg, L"read " + H, L"view", Unmodified}, .after = stockOnly,
         .where = RegistryText{1, L"D:\\evil"}},
        {.name = "the default, expanded, in other letters", .run = check, .hosts = Stock, .answers = {Yes},
         .expected = Check + Journal{Unmodified}, .after = stockOnly,
         .where = RegistryText{1, L"c:\\windows\\SYSTEM32\\drivers\\etc\\"}},
        // Method 1 tells of success only once the stock file is in place.
        {"modified, repaired", check, Old, {Yes, Ok, Ok}, Check + Journal{Modified, M1Warning} + Replaced +
         Journal{M1Done} + Unload, replaced},
        {"missing, created", check, std::nullopt, {Yes, Ok, Ok}, Check + Journal{Modified, M1Warning} + Written +
         Journal{L"read " + H, L"replace " + H, Flush, M1Done} + Unload, stockOnly},
        {"method 1 on the stock file: no copy", m1, Stock, {Ok, Ok}, Journal{M1Warning} + Written +
         Journal{L"read " + H, L"replace " + H, Flush, M1Done} + Unload, stockOnly},
        {.name = "method 1 on a protected file: unprotected after the copy", .run = m1, .hosts = Old,
         .answers = {Ok, Ok}, .expected = Journal{M1Warning} + Unprotected + Journal{Flush, M1Done} + Unload,
         .after = replaced, .attributes = Protected},
        // Method 2 puts the stock file in place before it asks, and restarts only on Yes.
        {"method 2, restart", m2, Old, {Ok, Yes}, Journal{M2Warning} + Replaced + Journal{M2Question} + Restart + Unload,
         replaced},
        {"method 2 on a missing file, no restart", m2, std::nullopt, {Ok, No}, Journal{M2Warning} + Written +
         Journal{L"read " + H, L"replace " + H, Flush, M2Question} + Unload, stockOnly},
        {"method 3, no", m3, Old, {No}, {M3Question}, kept},
        {"method 3, route from the system folder", m3, Old, {Yes}, Journal{M3Question, Route} + Unload, kept},
        // A failure ends the run at once with the hosts file as it was, nothing of the run's left.
        {"method 1, no new file", m1, Old, {Ok}, {M1Warning, L"create " + T}, kept, L"create " + T, leftAsItWas},
        {"method 1, the flush fails", m1, Old, {Ok}, Journal{M1Warning} + NewFile + Journal{L"delete " + T}, kept,
         L"close " + T, leftAsItWas},
        {"method 1, hosts held open", m1, Old, {Ok}, Journal{M1Warning} + Written + Journal{L"delete " + T}, kept,
         L"probe " + H, leftAsItWas},
        {"method 1, no copy made", m1, Old, {Ok}, Journal{M1Warning} + Written +
         Journal{L"read " + H, L"create " + B, L"delete " + T}, kept, L"create " + B, leftAsItWas},
        {.name = "method 1, the replace fails: attributes back, no copy", .run = m1, .hosts = Old, .answers = {Ok},
         .expected = Journal{M1Warning} + Unprotected + Journal{L"attributes " + H + L" 39", L"delete " + B,
                                                                L"delete " + T},
         .after = kept, .failing = L"replace " + H, .subject = leftAsItWas, .attributes = Protected},
        {"method 2, the replace fails: the old file stays", m2, Old, {Ok}, Journal{M2Warning} + Replacing +
         Journal{L"delete " + B, L"delete " + T}, kept, L"replace " + H, leftAsItWas},
        {"method 2, the restart is refused", m2, Old, {Ok, Yes}, Journal{M2Warning} + Replaced + Journal{M2Question} +
         Restart, replaced, L"ExitWindowsEx 6 0", std::wstring(HostsReplacedRestartByHand)},
        {"method 3, route fails", m3, Old, {Yes}, {M3Question, Route}, kept, Route, Route},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r(c.hosts, c.answers);
        r.sys.attributes[H] = c.attributes;
        if (c.where) r.sys.settings[Where.substr(5)] = *c.where;
        if (!c.failing.empty()) r.sys.fail[c.failing] = 5;
        const auto [code, subject] = FailureOf([&] { (r.repair.*c.run)(); });
        EXPECT_EQ(code, c.failing.empty() ? 0u : 5u);
        EXPECT_EQ(subject, c.subject);
        EXPECT_EQ(r.sys.log, c.expected);
        EXPECT_EQ(r.sys.files, c.after);
        EXPECT_EQ(r.sys.Attributes(H).value_or(0), c.after.count(H) && c.after.at(H) == Stock ? Plain : c.attributes);
    }
}

TEST(HostsRepair, TheCheckShowsTheFileUnderWindirAndCountsEveryLF) {
    Rig r(Old, {No});
    r.repair.RunIntegrityCheck();
    EXPECT_EQ(r.sys.view, L"127.0.0.1 vk.com\r\n\u2400яП\r\n");
    EXPECT_EQ(HostsPathFor(L"C:\\WINDOWS\\"), L"C:\\WINDOWS\\\\System32\\drivers\\etc\\hosts");  // joined as they are
    Rig unset(std::nullopt, {No});
    unset.sys.windir.reset();  // the suffix alone
    unset.repair.RunIntegrityCheck();
    EXPECT_EQ(unset.sys.log.at(1), L"read \\System32\\drivers\\etc\\hosts");
    // A padded file: the view shows its start and says so; the LFs past it still count.
    Rig padded(std::string(ViewCap + 2, 'x') + std::string(19, '\n'), {Yes});
    padded.repair.RunIntegrityCheck();
    EXPECT_EQ(padded.sys.log, Check + Journal{Unmodified});
    EXPECT_EQ(padded.sys.view, std::wstring(ViewCap, L'x') + L"\r\n" + ViewCutNote(ViewCap + 21, ViewCap));
}

TEST(HostsStore, NamesTakenAreSkippedAndCopiesStreamedWhole) {
    FakeSystem sys;
    const std::string big(100'000, '\x9C');
    sys.files = {{H, big}, {B, "earlier"}, {T, "left by an earlier run"}};
    HostsStore store(sys, sys, sys, Windows1251());
    store.BackupHosts(H, Stamp);
    store.OpenHostsForOutput(H);
    store.WriteStockHosts();
    store.CloseHosts();
    const std::wstring second = H + L".20240102-030405-2.bak";
    EXPECT_EQ(sys.files, (Files{{H, Stock}, {B, "earlier"}, {second, big}, {H + L".20240102-030405-3.bak", big},
                                {T, "left by an earlier run"}}));
    // A file that starts like the stock one but is not it is copied too.
    sys.files = {{H, Stock.substr(0, 100)}};
    store.BackupHosts(H, Stamp);
    EXPECT_EQ(sys.files.at(B), Stock.substr(0, 100));
}

}  // namespace
