#include "hosts/HostsText.h"

#include <algorithm>

std::size_t CountLF(std::string_view bytes) {
    // Counted in blocks small enough for per-lane byte counters, which the compiler
    // keeps in vector registers: several times faster than a plain loop.
    constexpr std::size_t Lanes = 32, Block = Lanes * 255;
    std::size_t total = 0;
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left >= Lanes) {
        const std::size_t n = std::min(left, Block) / Lanes * Lanes;
        unsigned char lane[Lanes] = {};
        for (std::size_t i = 0; i < n; i += Lanes)
            for (std::size_t j = 0; j < Lanes; ++j) lane[j] += p[i + j] == '\n';
        for (unsigned char c : lane) total += c;
        p += n;
        left -= n;
    }
    return total + static_cast<std::size_t>(std::count(p, p + left, '\n'));
}

std::wstring BuildViewText(std::string_view bytes, const Codepage& cp) {
    // Every CR, CR LF and lone LF becomes CR LF, and a last line without terminator
    // gets one. The size is counted first so the text is allocated exactly once.
    const std::size_t n = bytes.size();
    const bool lastLineOpen = n > 0 && bytes[n - 1] != '\r' && !(n >= 2 && bytes.substr(n - 2) == "\r\n");
    std::size_t size = n + (lastLineOpen ? 2 : 0);
    for (std::size_t i = 0; i < n; ++i) {
        if (bytes[i] == '\r' && (i + 1 == n || bytes[i + 1] != '\n')) ++size;
        else if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) ++size;
    }

    std::wstring view(size, L'\0');
    wchar_t* out = view.data();
    for (std::size_t i = 0; i < n; ++i) {
        const char b = bytes[i];
        if (b == '\r' || b == '\n') {
            if (b == '\r' && i + 1 < n && bytes[i + 1] == '\n') ++i;
            *out++ = L'\r';
            *out++ = L'\n';
        } else {
            *out++ = b == '\0' ? NulPlaceholder : cp.toWide[static_cast<unsigned char>(b)];
        }
    }
    if (lastLineOpen) {
        *out++ = L'\r';
        *out++ = L'\n';
    }
    return view;
}

namespace {

constexpr std::size_t LineCap = 1024, ShownLines = 10;

bool IsLocalhost(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return name == "localhost";
}

}  // namespace

void HostsScan::Add(std::string_view chunk) {
    lineFeeds += CountLF(chunk);
    for (char c : chunk) {
        if (c == '\r' || c == '\n') EndLine();
        else if (line_.size() < LineCap) line_ += c;
    }
}

void HostsScan::Finish() {
    EndLine();
}

// An entry is an address and names, blanks between, up to a '#' that starts a comment.
void HostsScan::EndLine() {
    const std::string_view entry = std::string_view(line_).substr(0, line_.find('#'));
    constexpr std::string_view Blanks = " \t\v\f";
    bool maps = false;
    int words = 0;
    for (std::size_t at = entry.find_first_not_of(Blanks); at != entry.npos; at = entry.find_first_not_of(Blanks, at)) {
        const std::size_t end = std::min(entry.find_first_of(Blanks, at), entry.size());
        maps |= ++words > 1 && !IsLocalhost(std::string(entry.substr(at, end - at)));  // the first is the address
        at = end;
    }
    if (maps && ++mappingLines <= ShownLines) firstLines.push_back(line_);
    line_.clear();
}
