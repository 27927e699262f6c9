#pragma once
// The stock hosts file of the Russian-language Windows, which the repairs write back, and the
// stock files of the other versions of Windows, which a check recognises.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// LF bytes in a file written from the template. Fixed, not derived from the template:
// it is the number the start-up check compares against.
inline constexpr std::size_t ExpectedLineCount = 19;

extern const std::array<std::wstring_view, 19> StockHostsTemplate;

// The file's exact bytes: every line in Windows-1251, the code page of the systems it comes
// from, followed by CR LF, whatever the code page of the system that writes it (an English
// WinPE would turn every Cyrillic letter into '?').
std::string StockHostsBytes();

// The untouched hosts files of the versions of Windows, by version.
struct StockFile {
    std::wstring_view version;
    std::string bytes;
};
const std::vector<StockFile>& StockFiles();
// No stock file of any version is longer.
inline constexpr std::size_t LongestStockFile = 1024;

// The version of Windows whose untouched hosts file has exactly these bytes; empty for none.
std::wstring_view StockVersionOf(std::string_view bytes);
