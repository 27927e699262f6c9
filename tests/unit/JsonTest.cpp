// The report for machines: JSON's text, and what a run puts in it.
#include "Fakes.h"
#include "console/CommandLine.h"
#include "console/Json.h"
#include "hosts/HostsText.h"

namespace {

TEST(Json, TextsArePrintableAndEscaped) {
    // clang-format off
    const struct { const char* name; std::wstring text; std::wstring json; } rows[] = {
        {"plain", L"vk.com", L"\"vk.com\""},
        {"a quote and a backslash", L"say \"C:\\x\"", L"\"say \\\"C:\\\\x\\\"\""},
        {"line breaks and a tab cleaned", L"a\r\nb\tc", L"\"a??b?c\""},
        {"an escape sequence cleaned", L"\x1b[2J", L"\"?[2J\""},
        {"DEL and C1 controls cleaned", L"a\x7f\x85z", L"\"a??z\""},
        {"Cyrillic escaped", L"Юг", L"\"\\u042e\\u0433\""},
        {"a pair escaped as its halves", L"\xD83D\xDE00", L"\"\\ud83d\\ude00\""},
        {"a lone surrogate replaced", L"a\xD800z", L"\"a\\ufffdz\""},
        {"empty", L"", L"\"\""},
    };
    // clang-format on
    for (const auto& row : rows) EXPECT_EQ(JsonString(row.text), row.json) << row.name;
}

// The line of each entry, as the view counts lines: CR, CR LF and a lone LF each end one; and the
// names that make it one.
TEST(EntryRecords, EachEntrysLineAddressNamesAndKind) {
    const AllowList company("0.0.0.0 b.net\r\n");
    HostsScan scan(0, 0, &company);
    scan.recordsPerKind = 2;
    scan.Add("# x\r91.200.1.2 online.sberbank.ru\n127.0.0.1 localhost kaspersky.ru\r");
    scan.Add("\n0.0.0.0 a.net b.net # ads\r\n::1 localhost\r\n0.0.0.0 c.net\r\n0.0.0.0 d.net\r\n8.8.8.8 e.ru");
    scan.Finish();
    const std::vector<std::tuple<std::size_t, std::string, std::vector<std::string>, EntryKind, bool>> expected = {
        {2, "91.200.1.2", {"online.sberbank.ru"}, EntryKind::Redirect, true},
        {3, "127.0.0.1", {"kaspersky.ru"}, EntryKind::BlockSecurity, false},  // localhost is no entry's name
        {4, "0.0.0.0", {"a.net"}, EntryKind::Block, false},                   // b.net is the company's
        {6, "0.0.0.0", {"c.net"}, EntryKind::Block, false},
        // d.net: two blocks are listed already
        {8, "8.8.8.8", {"e.ru"}, EntryKind::Redirect, false},
    };
    std::vector<std::tuple<std::size_t, std::string, std::vector<std::string>, EntryKind, bool>> records;
    for (const EntryRecord& r : scan.records) records.emplace_back(r.line, r.address, r.names, r.kind, r.accountSite);
    EXPECT_EQ(records, expected);
    EXPECT_EQ(scan.entries, 6u);
}

// One object on the console instead of the lines: every field by its key, the exit code as without it.
TEST(JsonReport, ACheckTellsTheResultEachEntryAndEachFinding) {
    FakeSystem sys;
    sys.files[H] = "91.200.1.2 online.sberbank.ru\r\n127.0.0.1 kaspersky.ru\r\n0.0.0.0 ads.doubleclick.net\r\n";
    sys.keys = UserProxy(L"127.0.0.1:8080");
    EXPECT_EQ(RunCommand(sys.Get(), ParseCommandLine({L"/check", L"/json"})), 1);
    const std::wstring path = L"C:\\\\WINDOWS\\\\System32\\\\drivers\\\\etc\\\\hosts";
    EXPECT_EQ(sys.out,
        Journal{L"{\"schema\":1,\"action\":\"check\",\"result\":{\"hosts\":\"modified\",\"redirected\":\"no\","
                L"\"other\":\"proxy\",\"changed\":\"no\",\"exit\":1},\"hostsPath\":\"" +
                path + L"\",\"hosts\":{\"path\":\"" + path +
                L"\",\"exists\":true,\"entryCount\":3,\"counts\":{\"redirect\":1,\"block-security\":1,\"block\":1},"
                L"\"accountRedirects\":1,\"entries\":["
                L"{\"line\":1,\"address\":\"91.200.1.2\",\"names\":[\"online.sberbank.ru\"],\"kind\":\"redirect\","
                L"\"accountSite\":true},"
                L"{\"line\":2,\"address\":\"127.0.0.1\",\"names\":[\"kaspersky.ru\"],\"kind\":\"block-security\","
                L"\"accountSite\":false},"
                L"{\"line\":3,\"address\":\"0.0.0.0\",\"names\":[\"ads.doubleclick.net\"],\"kind\":\"block\","
                L"\"accountSite\":false}],\"entriesNotListed\":0},\"redirectedHosts\":null,"
                L"\"findings\":[{\"kind\":\"proxy\",\"where\":"
                L"\"\\u043f\\u043e\\u043b\\u044c\\u0437\\u043e\\u0432\\u0430\\u0442\\u0435\\u043b\\u044c\",\"value\":"
                L"\"127.0.0.1:8080\","
                L"\"besides\":\"\",\"undoable\":true,\"undone\":false}],\"unread\":[],\"copy\":null,\"regFile\":null,"
                L"\"profileCopies\":[],\"results\":[\"\\u0444\\u0430\\u0439\\u043b hosts "
                L"\\u0438\\u0437\\u043c\\u0435\\u043d\\u0451\\u043d\"],\"errors\":[]}"});
}

// A repair's report names what it changed and kept, and each error with its Windows code.
TEST(JsonReport, ARepairTellsItsCopiesWhatWasUndoneAndItsErrors) {
    FakeSystem sys;
    sys.files[H] = "127.0.0.1 vk.com\r\n";
    sys.keys = UserProxy(L"127.0.0.1:8080");
    sys.fail[L"run C:\\WINDOWS\\system32\\ipconfig.exe | \"C:\\WINDOWS\\system32\\ipconfig.exe\" /flushdns 30"] = 1722;
    EXPECT_EQ(RunCommand(sys.Get(), ParseCommandLine({L"/repair", L"/json"})), 0);
    ASSERT_EQ(sys.out.size(), 1u);
    const std::wstring& json = sys.out[0];
    for (const std::wstring part :
        {L"\"result\":{\"hosts\":\"modified\",\"redirected\":\"no\",\"other\":\"proxy\",\"changed\":\"yes\",\"exit\":"
         L"0}",
            L"\"undoable\":true,\"undone\":true}",
            L"\"copy\":\"C:\\\\WINDOWS\\\\System32\\\\drivers\\\\etc\\\\hosts.20240102-030405.bak\"",
            L"\"regFile\":\"C:\\\\WINDOWS\\\\System32\\\\drivers\\\\etc\\\\hosts.20240102-030405.reg\"",
            L"\"errors\":[{\"code\":1722,\"text\":\"\\u043e\\u0448\\u0438\\u0431\\u043a\\u0430 1722: text of 1722\"}]"})
        EXPECT_NE(json.find(part), json.npos) << part;
}

// A failure that stops the run is its error too, with its code.
TEST(JsonReport, AFailureThatStopsTheRunIsItsError) {
    FakeSystem sys;
    sys.files[H] = "0.0.0.0 a.ru\r\n";
    sys.fail[L"read " + H] = 32;
    EXPECT_EQ(RunCommand(sys.Get(), ParseCommandLine({L"/check", L"/json"})), 32);
    const std::wstring said =
        L"\"\\u043e\\u0448\\u0438\\u0431\\u043a\\u0430 32: text of 32 (read C:\\\\WINDOWS\\\\"
        L"System32\\\\drivers\\\\etc\\\\hosts)\"";
    ASSERT_EQ(sys.out.size(), 1u);
    EXPECT_TRUE(
        sys.out[0].ends_with(L"\"hosts\":null,\"redirectedHosts\":null,\"findings\":[],\"unread\":[],\"copy\":null,"
                             L"\"regFile\":null,\"profileCopies\":[],\"results\":[" +
                             said + L"],\"errors\":[{\"code\":32,\"text\":" + said + L"}]}"))
        << sys.out[0];
}

}  // namespace
