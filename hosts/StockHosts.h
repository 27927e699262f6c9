#pragma once
// The stock hosts file of the Russian-language Windows, which the repairs write back.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "app/Codepage.h"

// LF bytes in a file written from the template. Fixed, not derived from the template:
// it is the number the start-up check compares against.
inline constexpr std::size_t ExpectedLineCount = 19;

extern const std::array<std::wstring_view, 19> StockHostsTemplate;

// The file's exact bytes: every line in the ANSI code page followed by CR LF.
std::string StockHostsBytes(const Codepage& cp);
