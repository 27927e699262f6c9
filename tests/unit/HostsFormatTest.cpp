// The hosts file's bytes: the code page, the stock content, the LF count and the view.
// The view and the count against a reference over arbitrary inputs are the fuzz target's.
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
    EXPECT_TRUE(stock.starts_with("# (C) \xCA\xEE\xF0\xEF\xEE\xF0\xE0\xF6\xE8\xFF"));  // no BOM; "Корпорация"
    EXPECT_EQ(stock.find('?'), std::string::npos) << "a character the code page lacks";

    const std::wstring text = cp.ToWide(stock);
    EXPECT_NE(text.find(L"# Кроме того, в некоторых строках могут быть вставлены комментарии \r\n"), text.npos);
    // The sample entries' columns: addresses end in 19, names start in 25, comments in 49.
    EXPECT_EQ(text.substr(text.find(L"#      102")),
              L"#      102.54.94.97     rhino.acme.com          # исходный сервер\r\n"
              L"#       38.25.63.10     x.acme.com              # узел клиента x\r\n"
              L"\r\n"
              L"127.0.0.1       localhost\r\n");
}

TEST(HostsText, CountLFAtTheEdgesOfItsBlocks) {
    constexpr std::size_t Block = 32 * 255;  // where the per-lane counters are summed
    for (std::size_t n : std::initializer_list<std::size_t>{0, 31, 32, 33, Block - 1, Block, Block + 1, 3 * Block + 45})
        EXPECT_EQ(CountLF(std::string(n, '\n') + "\r-"), n) << n;
}

TEST(HostsText, ViewShowsEveryLineFollowedByCrLf) {
    const struct { std::string bytes; std::wstring view; } cases[] = {
        {"", L""},
        {"a", L"a\r\n"},  // last line without terminator
        {"a\r", L"a\r\n"},
        {"a\rb", L"a\r\nb\r\n"},
        {"a\r\nb\r\n", L"a\r\nb\r\n"},
        {"a\nb", L"a\r\nb\r\n"},  // a lone LF stays in its line but is shown as a break
        {"a\n", L"a\r\n\r\n"},
        {"\n", L"\r\n\r\n"},
        {"a\r\r\nb", L"a\r\n\r\nb\r\n"},
        {std::string("a\0b", 3), L"a\u2400b\r\n"},
        {"\xCF\xF0\xE8\xE2\xE5\xF2 \xB9\r\n", L"Привет №\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(BuildViewText(c.bytes, cp), c.view) << testing::PrintToString(c.bytes);
}

}  // namespace
