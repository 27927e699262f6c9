// The hosts store: failures of the safe write and of the copy kept before a repair, and that copy's name.
#include "Fakes.h"

namespace {

void Write(HostsStore& s) {
    s.OpenHostsForOutput(H);
    s.WriteStockHosts();
    s.CloseHosts();
}
void Backup(HostsStore& s) { s.BackupHosts(H, Stamp); }

// The first failure, code 5, is the one reported; the file is left as it was, and nothing stays open.
TEST(HostsStore, AFailureIsReportedAndLeavesTheFileAsItWas) {
    const Files kept{{H, Old}};
    const struct { void (*run)(HostsStore&); std::map<std::wstring, std::uint32_t> fail; Files after; } cases[] = {
        {Write, {{L"probe " + H, 5}}, kept},  // read-only: found before anything is written
        {Write, {{L"close " + N, 5}}, kept},  // the flush
        {Write, {{L"write " + N, 5}, {L"delete " + N, 32}}, {{H, Old}, {N, ""}}},  // the new file cannot be removed
        {Backup, {{L"create-new " + B, 5}}, kept},
        {Backup, {{L"write " + B, 5}}, kept},
        {Backup, {{L"close " + B, 5}}, kept},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.fail));
        FakeSystem sys;
        sys.files[H] = Old;
        sys.fail = c.fail;
        HostsStore store(sys, Windows1251());
        EXPECT_EQ(FailureCode([&] { c.run(store); }), 5u);
        EXPECT_EQ(sys.files, c.after);
        EXPECT_EQ(FailureCode([&] { store.CloseHosts(); }), 0u);
    }
}

TEST(HostsStore, BackupNeverOverwritesAnEarlierCopy) {
    FakeSystem sys;
    sys.files = {{H, Old}, {B, "earlier"}};
    HostsStore store(sys, Windows1251());
    store.BackupHosts(H, Stamp);
    store.BackupHosts(H, Stamp);
    const std::wstring base = H + L".20240102-030405";
    EXPECT_EQ(sys.files, (Files{{H, Old}, {B, "earlier"}, {base + L"-2.bak", Old}, {base + L"-3.bak", Old}}));
}

}  // namespace
