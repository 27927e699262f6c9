// The hosts file's bytes: the code page, the stock content, the LF count and the view.
// The view and the count against plain references over arbitrary inputs are the fuzz target's.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/Codepage.h"
#include "hosts/HostsText.h"
#include "hosts/StockHosts.h"

namespace {

const Codepage& cp = Windows1251();

TEST(Codepage, Windows1251BothWays) {
    EXPECT_EQ(cp.ToWide("\xA8\xB8\xB9\xC0\xFF"), L"Ёё№Ая");
    EXPECT_EQ(cp.ToAnsi(L"Ёё№Ая中ü"), "\xA8\xB8\xB9\xC0\xFF??");  // '?' for what the code page lacks
}

TEST(StockHosts, NineteenCrLfLinesInWindows1251) {
    const std::string stock = StockHostsBytes(cp);
    EXPECT_EQ(CountLF(stock), ExpectedLineCount);
    EXPECT_EQ(std::count(stock.begin(), stock.end(), '\r'), 19);
    // Every byte pinned: 769 bytes whose FNV-1a hash is this (the SHA-256 is in tests/run-command.sh).
    std::uint64_t fnv = 0xcbf29ce484222325;
    for (unsigned char b : stock) fnv = (fnv ^ b) * 0x100000001b3;
    EXPECT_EQ(stock.size(), 769u);
    EXPECT_EQ(fnv, 0xf88df9577d98c014u);
    // The sample entries' columns: addresses end in 19, names start in 25, comments in 49.
    EXPECT_TRUE(cp.ToWide(stock).ends_with(L"#      102.54.94.97     rhino.acme.com          # исходный сервер\r\n"
                                           L"#       38.25.63.10     x.acme.com              # узел клиента x\r\n"
                                           L"\r\n127.0.0.1       localhost\r\n"));
}

TEST(HostsText, CountLFAtTheEdgesOfItsBlocks) {
    constexpr std::size_t Block = 32 * 255;  // where the per-lane counters are summed
    for (std::size_t n : {0, 31, 32, 33, 8159, 8160, 8161, 24525})
        EXPECT_EQ(CountLF(std::string(n, '\n') + "\r-"), n) << n;
    EXPECT_EQ(CountLF(std::string(3 * Block, '\n')), 3 * Block);
}

TEST(HostsText, ViewShowsEveryLineFollowedByCrLf) {
    const struct { std::string bytes; std::wstring view; } cases[] = {
        {"", L""},
        {"a", L"a\r\n"},  // last line without terminator
        {"a\r\nb\r", L"a\r\nb\r\n"},
        {"a\nb\n", L"a\r\nb\r\n\r\n"},  // a lone LF stays in its line but is shown as a break
        {std::string("a\0b", 3), L"a\u2400b\r\n"},
        {"\xCF\xF0\xE8\xE2\xE5\xF2 \xB9\r\n", L"Привет №\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(BuildViewText(c.bytes, cp), c.view) << testing::PrintToString(c.bytes);
}

}  // namespace
