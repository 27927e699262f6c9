// The hosts file's bytes: the code page, the stock contents, the LF count, the view and the
// entries a check finds. The view and the count against plain references over arbitrary inputs
// are the fuzz target's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "app/Codepage.h"
#include "app/Sha256.h"
#include "hosts/HostsMessages.h"
#include "hosts/HostsText.h"
#include "hosts/StockHosts.h"

namespace {

const Codepage& cp = Windows1251();
// A surrogate pair, and halves of pairs around a character.
const std::wstring Pair{0xD83D, 0xDE00}, Lone = std::wstring{0xDE00} + L"x" + wchar_t{0xD83D};

// Fed `piece` bytes at a time, across the blocks, lines and words it reads; or Whole, in one piece.
const std::size_t Whole = std::string_view::npos;
template <class Sink>
Sink Fed(Sink sink, std::string_view bytes, std::size_t piece = 7) {
    for (std::size_t at = 0; at < bytes.size(); at += piece) sink.Add(bytes.substr(at, piece));
    return sink;
}
HostsScan Scanned(HostsScan scan, std::string_view bytes, std::size_t piece = 7) {
    scan = Fed(scan, bytes, piece);
    scan.Finish();
    return scan;
}

TEST(Codepage, Windows1251BothWays) {
    EXPECT_EQ(cp.ToWide("\xA8\xB8\xB9\xC0\xFF"), L"Ёё№Ая");
    EXPECT_EQ(cp.ToAnsi(L"Ёё№Ая中ü"), "\xA8\xB8\xB9\xC0\xFF??");  // '?' for what the code page lacks
}

TEST(Printable, ReplacesWhatWouldForgeALineOrHideADifference) {
    // clang-format off
    const struct { const char* name; std::wstring text, shown; } rows[] = {
        // Control characters (C0, DEL, C1) would forge lines or drive a terminal.
        {"C0, DEL and C1 controls", L"a\tb\x1b[2J\r\n\x7f\x9b\x9f я~", L"a?b?[2J????? я~"},
        // Characters that change how others show: a name backwards, two names that look alike.
        {"bidirectional and zero-width characters, line and paragraph separators",
         L"\u200B\u200D\u200E\u200F\u202A\u202E\u2066\u2069\uFEFF\u2028\u2029", std::wstring(11, L'?')},
        {"invisible format characters", L"\u061C\u2060\u2064\u206A\u206F\uFFF9\uFFFB", std::wstring(7, L'?')},
        {"a tag character, as UTF-16 or whole", std::wstring{0xDB40, 0xDC41} + wchar_t(0xE007F), L"??"},
        {"their visible neighbours kept", L"\u061B\u205F\u2065\uFFF8\uFFFC" + std::wstring{0xDB40, 0xDC80},
         L"\u061B\u205F\u2065\uFFF8\uFFFC" + std::wstring{0xDB40, 0xDC80}},
        {"the neighbours of the other ranges kept", L"\u200A\u2027\u202F", L"\u200A\u2027\u202F"},
        {"a surrogate pair kept, half a pair replaced", Pair + Lone, Pair + L"\uFFFDx\uFFFD"},
    };
    // clang-format on
    for (const auto& row : rows) EXPECT_EQ(Printable(row.text), row.shown) << row.name;
}

// Fed seven bytes at a time, across the 64-byte blocks and the lengths where the padding takes a
// block of its own.
TEST(Sha256, KnownDigests) {
    // clang-format off
    const struct { const char* name; std::string bytes; const char* digest; } rows[] = {
        {"nothing", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"55 bytes: the length fits", std::string(55, 'x'),
         "d5e285683cd4efc02d021a5c62014694958901005d6f71e89e0989fac77e4072"},
        {"56 bytes: it does not", std::string(56, 'x'),
         "04c26261370ee7541549d16dee320c723e3fd14671e66a099afe0a377c16888e"},
        {"one block", std::string(64, 'x'), "7ce100971f64e7001e8fe5a51973ecdfe1ced42befe7ee8d5fd6219506b5393c"},
        {"a million", std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    // clang-format on
    for (const auto& row : rows) EXPECT_EQ(Fed(Sha256(), row.bytes).Hex(), row.digest) << row.name;
}

// UTF-8 has no half a surrogate pair.
TEST(Utf8, EncodesAPairAndReplacesHalfAPair) {
    EXPECT_EQ(Utf8(Lone + Pair), "\xEF\xBF\xBDx\xEF\xBF\xBD\xF0\x9F\x98\x80");
}

// The files Windows installs, every byte pinned by size and SHA-256 (as sha256sum prints it; the
// one the repairs write is checked so in tests/run-command.sh too), and that each is clean.
TEST(StockHosts, EachVersionsFileIsKnownByItsBytesAndClean) {
    // clang-format off
    const struct { std::wstring_view version; std::size_t size, lineFeeds; const char* sha256; } known[] = {
        {L"Windows XP, русская", 769, 19, "86ab20e8a8167fbb13f9fe5456fa9bd7d72315bb342c184d2f38b64aaef102d1"},
        {L"Windows XP", 734, 19, "f16c19748cefd356850be752ae3f4d30826ee9391e2d5e13cf628aeb7318b9fd"},
        {L"Windows Vista", 761, 20, "0c6f5f9d032c47a35e3bfd8c01f9d6287e8c75b46b5a5612e64da59414753d9e"},
        {L"Windows 7-11", 824, 21, "2d6bdfb341be3a6234b24742377f93aa7c7cfb0d9fd64efa9282c87852e57085"}};
    // clang-format on
    ASSERT_EQ(StockFiles().size(), std::size(known));
    for (std::size_t i = 0; i < std::size(known); ++i) {
        const StockFile& f = StockFiles()[i];
        SCOPED_TRACE(Utf8(known[i].version));
        EXPECT_EQ(f.version, known[i].version);
        EXPECT_EQ(f.bytes.size(), known[i].size);
        EXPECT_EQ(Fed(Sha256(), f.bytes, Whole).Hex(), known[i].sha256);
        EXPECT_LE(f.bytes.size(), LongestStockFile);
        EXPECT_EQ(CountLF(f.bytes), known[i].lineFeeds);
        EXPECT_EQ(StockVersionOf(f.bytes), f.version);
        EXPECT_EQ(StockVersionOf(f.bytes + "\r\n"), L"");
        EXPECT_EQ(Scanned(HostsScan(1), f.bytes, Whole).entries, 0u);
    }
}

TEST(HostsScan, EntriesMapANameAwayFromThisComputerOverWholeLines) {
    const std::string longLine = "127.0.0.1 localhost" + std::string(1100, ' ') + "vk.com";
    // clang-format off
    const struct { const char* name; std::string bytes; std::size_t entries; } cases[] = {
        {"another loopback, capitals, a tab, LF alone", "127.1.2.3\tLocalHost\n", 0},
        {"an address alone; a comment after the names", "127.0.0.1\r\n127.0.0.1 localhost #vk.com\r\n", 0},
        {"blocking, the last line open", "127.0.0.1 vk.com\r\n0.0.0.0 ok.ru", 2},
        {"localhost with another name, either side", "::1 localhost vk.com\r\n127.0.0.1 vk.com localhost\r\n", 2},
        {"localhost hijacked", "0.0.0.0 localhost\r\n6.6.6.6 LOCALHOST\r\n", 2},
        {"not quite loopback",
         "127.0.0.256 localhost\n1127.0.0.1 localhost\n127.0.0 localhost\n127.0.0.1. localhost\n", 4},
        {"a name far along a line", longLine + "\r\n", 1},
        {"a name longer than any looked at", "127.0.0.1 localhost" + std::string(100, 'x') + "\r\n", 1},
        {"CR ends a line", "127.0.0.1 localhost\rvk.com ok.ru\r", 1},
        // Padding is passed over to where it ends: a line's end after a comment, a blank after a word.
        {"after long padding",
         std::string(1, '#') + std::string(2000, 'c') + "\n0.0.0.0 vk.com\n" + std::string(2000, 'x') + " ok.ru\n", 2},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const HostsScan scan = Scanned(HostsScan(1), c.bytes);
        EXPECT_EQ(scan.entries, c.entries);
        EXPECT_EQ(scan.listed.size(), std::min<std::size_t>(c.entries, 1));
    }
    // An entry is listed as the file has it, up to a length.
    EXPECT_EQ(Scanned(HostsScan(1), longLine, Whole).listed, std::vector{longLine.substr(0, ShownLineCap)});
}

// A company's own mappings are no entries: the same address and name, in any letter case; a
// line is one only where all its names are the company's.
TEST(HostsScan, ACompanysListTakesOnlyItsOwnMappings) {
    const AllowList list(
        "# ours\r\n10.0.0.5 intranet.corp licence.corp # servers\r\n\r\n10.0.0.7\ttest1.corp\n10.0.0.8\n");
    EXPECT_EQ(list.lines,
        (std::vector<std::string>{"10.0.0.5 intranet.corp licence.corp # servers", "10.0.0.7\ttest1.corp"}));
    // clang-format off
    const struct { const char* name; std::string hosts; std::size_t entries, allowedLines; } rows[] = {
        {"the list's mappings in another letter case",
         "10.0.0.5 intranet.corp\r\n10.0.0.5 INTRANET.Corp Licence.CORP\r\n", 0, 2},
        {"a listed name at another address; a foreign name beside a listed one",
         "10.0.0.6 intranet.corp\r\n10.0.0.5 intranet.corp vk.com\r\n", 2, 0},
        {"localhost and a commented name are neither",
         "10.0.0.7 test1.corp\r\n127.0.0.1 localhost\r\n10.0.0.5 # intranet.corp\r\n", 0, 1},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const HostsScan scan = Scanned(HostsScan(0, 0, &list), row.hosts, Whole);
        EXPECT_EQ(scan.entries, row.entries);
        EXPECT_EQ(scan.allowedLines, row.allowedLines);
    }
}

// A server a run's path names is watched for: the first line that maps it, a name on a comment
// or at the address's place none; a one-word server is reached by its full names too.
TEST(HostsScan, TheFirstLineMappingAWatchedServerIsKept) {
    // clang-format off
    const struct { const char* name, *server; std::string hosts; std::optional<std::string> line; } rows[] = {
        {"the same name, another case, a final dot", "srv", "10.0.0.1 a\r\n6.6.6.6 x SRV. # it\r\n7.7.7.7 srv\r\n",
         "6.6.6.6 x SRV. # it"},
        {"a full name of a one-word server", "srv", "6.6.6.6 srv.corp.local\n", "6.6.6.6 srv.corp.local"},
        {"a full server: its first word alone is another name", "srv.corp", "6.6.6.6 srv\n6.6.6.6 srv.corp.x\n", {}},
        {"commented, an address, a longer word", "srv", "# 6.6.6.6 srv\nsrv\n6.6.6.6 srv2 srvx.corp corp.srv\n", {}},
    };
    // clang-format on
    for (const auto& row : rows) {
        HostsScan scan(0);
        scan.watched = {{row.server, std::nullopt}};
        EXPECT_EQ(Scanned(scan, row.hosts).watched[0].line, row.line) << row.name;
    }
}

TEST(HostsText, CountLFAtTheEdgesOfItsBlocks) {
    constexpr std::size_t Block = 32 * 255;  // where the per-lane counters are summed
    for (std::size_t n : {0, 31, 32, 33, 8159, 8160, 8161, 24525})
        EXPECT_EQ(CountLF(std::string(n, '\n') + "\r-"), n) << n;
    EXPECT_EQ(CountLF(std::string(3 * Block, '\n')), 3 * Block);
}

TEST(HostsText, ViewShowsEveryLineFollowedByCrLf) {
    // clang-format off
    const struct { const char* name; std::string bytes; std::wstring view; } rows[] = {
        {"an empty file", "", L""},
        {"a last line without its terminator", "a", L"a\r\n"},
        {"a lone CR ends a line", "a\r\nb\r", L"a\r\nb\r\n"},
        {"a lone LF stays in its line but is shown as a break", "a\nb\n", L"a\r\nb\r\n\r\n"},
        {"NUL shown as its symbol", std::string("a\0b", 3), L"a\u2400b\r\n"},
        {"Windows-1251 text", "\xCF\xF0\xE8\xE2\xE5\xF2 \xB9\r\n", L"Привет №\r\n"},
    };
    // clang-format on
    for (const auto& row : rows) EXPECT_EQ(BuildViewText(row.bytes, cp), row.view) << row.name;
}

// Any program can call itself anything: each holder shown by a name cut to 32 characters and the
// path of its program file where Windows gives it, cut to 100, both cleaned; three holders at most.
TEST(HolderNames, CappedCleanedAndShownWithTheirProgramFiles) {
    const std::wstring path = L"C:\\Users\\u\\AppData\\" + std::wstring(90, L'p') + L"\\x.exe";
    // clang-format off
    const struct { const char* name; std::vector<FileHolder> holders; std::wstring shown; } rows[] = {
        {"a long name and path cut, a control character cleaned", {{7, L"a\x1b" + std::wstring(40, L'я'), path}},
         L"a?" + std::wstring(29, L'я') + L"… (C:\\Users\\u\\AppData\\" + std::wstring(80, L'p') + L"…, процесс 7)"},
        {"no half a pair left by the cut", {{7, std::wstring(30, L'x') + L"\xD83D\xDE00y"}},
         std::wstring(30, L'x') + L"… (процесс 7)"},
        {"four holders: three shown", {{12, L"Защитник Windows", L"C:\\Temp\\x.exe"}, {2, L"b"}, {3, L"c"}, {4, L"d"}},
         L"Защитник Windows (C:\\Temp\\x.exe, процесс 12), b (процесс 2), c (процесс 3), …"},
    };
    // clang-format on
    for (const auto& row : rows) EXPECT_EQ(HolderNames(row.holders), row.shown) << row.name;
}

}  // namespace
