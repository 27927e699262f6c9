#pragma once
// Reading the hosts file's bytes: the LF count that decides whether it is stock,
// and the text its view shows.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/Codepage.h"

std::size_t CountLF(std::string_view bytes);

// The view shows a file up to this many bytes, far above any real hosts file, so that a file
// padded to hundreds of megabytes cannot exhaust the program before a repair can run.
inline constexpr std::size_t ViewCap = std::size_t{16} << 20;

// Shown instead of a NUL byte, at which the view's text would otherwise end.
inline constexpr wchar_t NulPlaceholder = L'\u2400';

// Every line followed by CR LF. A line ends at CR or CR LF; a lone LF stays inside
// its line but is shown as a line break too, so that LF-only files read as lines.
std::wstring BuildViewText(std::string_view bytes, const Codepage& cp);

// What a technician's check reports of a hosts file, gathered piece by piece: every LF, and
// the lines that map a name other than localhost, which is what blocking entries do.
class HostsScan {
public:
    void Add(std::string_view chunk);
    void Finish();  // the last line, if no line break closed it

    std::size_t lineFeeds = 0;
    std::size_t mappingLines = 0;         // lines that map a name other than localhost
    std::vector<std::string> firstLines;  // the first ten of them, as they are in the file

private:
    void EndLine();
    std::string line_;  // the current line's start: a name that far in is beyond any real entry
};
