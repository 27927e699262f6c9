// The hosts store: the safe write, deleting, and the copy kept before a repair.
#include "Fakes.h"

namespace {

struct StoreRig {
    Journal log;
    FakeFileSystem fs{log};
    HostsStore store{fs, Windows1251()};
    StoreRig() { fs.files[H] = Old; }
};

const LocalTime Stamp{2024, 1, 2, 3, 4, 5};

TEST(HostsStore, NewContentReplacesTheFileOnlyOnClose) {
    for (bool present : {true, false}) {
        StoreRig r;
        if (!present) r.fs.files.clear();
        r.store.OpenHostsForOutput(H);
        r.store.WriteStockHosts();
        EXPECT_EQ(r.fs.files.count(H), present ? 1u : 0u);
        if (present) {
            EXPECT_EQ(r.fs.files[H], Old);
        }
        r.store.CloseHosts();
        EXPECT_EQ(r.fs.files, (Files{{H, Stock}}));
        const Journal before = r.log;
        r.store.CloseHosts();  // nothing open: harmless
        EXPECT_EQ(r.log, before);
    }
}

TEST(HostsStore, AFailedWriteKeepsTheOldFileAndRemovesTheNewOne) {
    const struct { const wchar_t* op; std::wstring path; std::uint32_t code; } cases[] = {
        {L"probe", H, win_error::AccessDenied},  // read-only
        {L"probe", H, ErrorSharingViolation},
        {L"create", N, win_error::AccessDenied},
        {L"write", N, ErrorDiskFull},
        {L"close", N, ErrorDiskFull},  // the flush
        {L"replace", H, win_error::AccessDenied},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::wstring(c.op) + L" " + c.path);
        StoreRig r;
        r.fs.FailOn(c.op, c.path, c.code);
        EXPECT_EQ(FailureCode([&] {
                      r.store.OpenHostsForOutput(H);
                      r.store.WriteStockHosts();
                      r.store.CloseHosts();
                  }),
                  c.code);
        EXPECT_EQ(r.fs.files, (Files{{H, Old}}));
        EXPECT_EQ(std::count(r.log.begin(), r.log.end(), L"create " + N), c.op == std::wstring(L"probe") ? 0 : 1);
        EXPECT_EQ(FailureCode([&] { r.store.CloseHosts(); }), 0u);
    }
}

TEST(HostsStore, TheWriteFailureIsReportedWhenTheNewFileCannotBeRemoved) {
    StoreRig r;
    r.fs.FailOn(L"write", N, ErrorDiskFull);
    r.fs.FailOn(L"delete", N, win_error::AccessDenied);
    r.store.OpenHostsForOutput(H);
    EXPECT_EQ(FailureCode([&] { r.store.WriteStockHosts(); }), ErrorDiskFull);
    EXPECT_EQ(r.fs.files[H], Old);
}

TEST(HostsStore, DeletingAMissingFileIsFineOtherFailuresPropagate) {
    const struct { bool present; std::uint32_t fail; } cases[] = {
        {false, 0}, {true, 0}, {true, win_error::AccessDenied}, {true, ErrorSharingViolation}};
    for (const auto& c : cases) {
        StoreRig r;
        if (!c.present) r.fs.files.clear();
        if (c.fail) r.fs.FailOn(L"delete", H, c.fail);
        EXPECT_EQ(FailureCode([&] { r.store.DeleteHosts(H); }), c.fail);
        EXPECT_EQ(r.fs.files.count(H), c.fail ? 1u : 0u);
    }
}

TEST(HostsStore, BackupCopiesTheBytesAndNeverOverwrites) {
    StoreRig r;
    r.store.BackupHosts(H, Stamp);
    EXPECT_EQ(r.fs.files, (Files{{H, Old}, {B, Old}}));
    r.fs.files[B] = "earlier";
    r.store.BackupHosts(H, Stamp);
    r.store.BackupHosts(H, Stamp);
    const std::wstring base = H + L".20240102-030405";
    EXPECT_EQ(r.fs.files, (Files{{H, Old}, {B, "earlier"}, {base + L"-2.bak", Old}, {base + L"-3.bak", Old}}));
}

TEST(HostsStore, NoBackupOfAMissingOrStockFile) {
    for (const Files& files : {Files{}, Files{{H, Stock}}}) {
        StoreRig r;
        r.fs.files = files;
        r.store.BackupHosts(H, Stamp);
        EXPECT_EQ(r.fs.files, files);
    }
}

TEST(HostsStore, AFailedBackupLeavesNoPartialCopy) {
    const struct { const wchar_t* op; std::uint32_t code; } cases[] = {
        {L"create-new", win_error::AccessDenied}, {L"write", ErrorDiskFull}, {L"close", ErrorDiskFull}};
    for (const auto& c : cases) {
        StoreRig r;
        r.fs.FailOn(c.op, B, c.code);
        EXPECT_EQ(FailureCode([&] { r.store.BackupHosts(H, Stamp); }), c.code) << c.op;
        EXPECT_EQ(r.fs.files, (Files{{H, Old}})) << c.op;
    }
}

}  // namespace
