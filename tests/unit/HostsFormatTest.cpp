// The hosts file's bytes: the code page, the stock content, the LF count and the view.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "hosts/Codepage.h"
#include "hosts/HostsText.h"
#include "hosts/StockHosts.h"

namespace {

const Codepage& cp = Windows1251();

std::vector<std::string> SplitCrLf(const std::string& bytes) {
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = bytes.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(bytes.substr(at, end - at));
    return lines;
}

TEST(Codepage, Windows1251RoundTripsEveryByte) {
    std::string all(256, '\0');
    std::iota(all.begin(), all.end(), '\0');
    const std::wstring wide = cp.ToWide(all);
    EXPECT_EQ(cp.ToAnsi(wide), all);
    EXPECT_EQ(wide.substr(0xA8, 1) + wide.substr(0xB8, 2) + wide.substr(0xC0, 2) + wide.substr(0xFF), L"Ёё№АБя");
    EXPECT_EQ(cp.ToAnsi(L"中ü"), "??");  // not in the code page
}

TEST(StockHosts, NineteenCrLfLinesInWindows1251) {
    const std::string stock = StockHostsBytes(cp);
    EXPECT_EQ(std::count(stock.begin(), stock.end(), '\r'), 19);
    EXPECT_EQ(CountLF(stock), ExpectedLineCount);
    EXPECT_EQ(stock.substr(stock.size() - 2), "\r\n");  // nothing after the last CR LF
    EXPECT_EQ(stock.substr(0, 16), "# (C) \xCA\xEE\xF0\xEF\xEE\xF0\xE0\xF6\xE8\xFF");  // no BOM; "Корпорация"
    EXPECT_EQ(stock.find('?'), std::string::npos) << "a character the code page lacks";

    const std::vector<std::string> lines = SplitCrLf(stock);
    ASSERT_EQ(lines.size(), 19u);  // every CR is followed by its LF
    EXPECT_EQ(lines[9].back(), ' ');
    EXPECT_EQ(lines[17], "");
    EXPECT_EQ(lines[18], "127.0.0.1       localhost");

    // The two sample entries: addresses end in column 19, names start in 25, comments in 49.
    const struct { std::wstring line, address, comment; std::size_t length; } samples[] = {
        {cp.ToWide(lines[15]), L"#      102.54.94.97     ", L"# исходный сервер", 65},
        {cp.ToWide(lines[16]), L"#       38.25.63.10     ", L"# узел клиента x", 64},
    };
    for (const auto& s : samples) {
        EXPECT_EQ(s.line.size(), s.length) << s.line;
        EXPECT_EQ(s.line.substr(0, 24), s.address);
        EXPECT_NE(s.line[24], L' ');
        EXPECT_EQ(s.line.substr(48), s.comment);
        EXPECT_EQ(s.line[47], L' ');
    }
}

TEST(HostsText, CountLFMatchesAPlainCountAtBlockEdges) {
    constexpr std::size_t Block = 32 * 255;  // where the per-lane counters are summed
    for (std::size_t n : std::initializer_list<std::size_t>{0, 1, 31, 32, 33, 65, Block - 1, Block, Block + 1,
                                                             2 * Block + 31, 3 * Block + 45}) {
        EXPECT_EQ(CountLF(std::string(n, '\n')), n) << "only LFs, " << n;
        std::string mixed(n + 1, 'x');
        std::uint32_t seed = static_cast<std::uint32_t>(n);
        for (char& c : mixed) c = (seed = seed * 1664525 + 1013904223) >> 30 ? static_cast<char>(seed >> 8) : '\n';
        for (std::size_t at : {std::size_t{0}, n / 2, n - n % 32, n}) mixed[at] = '\n';
        const std::string_view misaligned = std::string_view(mixed).substr(1);
        EXPECT_EQ(CountLF(misaligned), static_cast<std::size_t>(std::count(misaligned.begin(), misaligned.end(), '\n')))
            << "mixed, " << n;
    }
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
        {"a\r\r\nb", L"a\r\n\r\nb\r\n"},
        {"a\n\rb", L"a\r\n\r\nb\r\n"},
        {"\n", L"\r\n\r\n"},
        {"\r\n\r\n", L"\r\n\r\n"},
        {std::string("a\0b", 3), L"a\u2400b\r\n"},
        {"\xCF\xF0\xE8\xE2\xE5\xF2 \xB9\r\n", L"Привет №\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(BuildViewText(c.bytes, cp), c.view) << testing::PrintToString(c.bytes);
}

// Lines as the store reads them (ending at CR or CR LF, a lone LF kept), each followed
// by CR LF, with a kept LF shown as CR LF.
std::wstring ViewByLines(const std::string& bytes) {
    std::wstring view, line;
    bool open = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            view += line + L"\r\n";
            line.clear();
            open = false;
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            line += bytes[i] == '\n' ? L"\r\n" : bytes[i] == '\0' ? L"\u2400" : cp.ToWide(bytes.substr(i, 1));
            open = true;
        }
    }
    return open ? view + line + L"\r\n" : view;
}

TEST(HostsText, ViewAgreesWithLineReadingOnEveryShortInput) {
    std::vector<std::string> inputs{""};
    for (std::size_t from = 0; from < inputs.size() && inputs[from].size() < 7; ++from)
        for (char c : {'a', '\r', '\n'}) inputs.push_back(inputs[from] + c);
    for (const std::string& bytes : inputs)
        ASSERT_EQ(BuildViewText(bytes, cp), ViewByLines(bytes)) << testing::PrintToString(bytes);
}

TEST(HostsText, ViewAgreesWithLineReadingOnLongInputs) {
    std::uint32_t seed = 7;
    for (std::size_t n : {1023, 1024, 1025, 2049, 8191, 20000}) {
        std::string bytes(n, 'a');
        for (char& c : bytes) c = "a\r\n\0\xCF\r\n"[(seed = seed * 1664525 + 1013904223) >> 29];
        for (std::size_t at = 1023; at + 1 < n; at += 1024) bytes.replace(at, 2, "\r\n");  // pairs split by blocks
        EXPECT_EQ(BuildViewText(bytes, cp), ViewByLines(bytes)) << n;
    }
}

}  // namespace
