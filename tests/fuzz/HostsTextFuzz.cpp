// Any bytes at all may be a hosts file: counting, the view's text and the code page must
// hold their rules for every input, not only for well-formed ones.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/Codepage.h"
#include "hosts/HostsText.h"

namespace {

void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
}

// Lines by the reading rule: a line ends at CR or CR LF, a lone LF stays inside its line,
// and a last line without terminator counts.
std::size_t CountLines(std::string_view b) {
    std::size_t lines = 0;
    bool open = false;
    for (std::size_t i = 0; i < b.size(); ++i) {
        if (b[i] == '\r') {
            ++lines;
            open = false;
            if (i + 1 < b.size() && b[i + 1] == '\n') ++i;
        } else {
            open = true;
        }
    }
    return lines + open;
}

std::size_t CountLoneLF(std::string_view b) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < b.size(); ++i) n += b[i] == '\n' && (i == 0 || b[i - 1] != '\r');
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    const Codepage& cp = Windows1251();

    Check(CountLF(in) == static_cast<std::size_t>(std::count(in.begin(), in.end(), '\n')), "LF count");

    const std::wstring view = BuildViewText(in, cp);
    std::size_t pairs = 0;
    std::wstring shown;  // the view without its line breaks, a NUL where the placeholder is
    for (std::size_t i = 0; i < view.size(); ++i) {
        const wchar_t c = view[i];
        Check(c != L'\0', "NUL in the view");
        if (c == L'\r') {
            Check(i + 1 < view.size() && view[i + 1] == L'\n', "CR without LF in the view");
            ++pairs;
            ++i;
        } else {
            Check(c != L'\n', "LF without CR in the view");
            shown += c == NulPlaceholder ? L'\0' : c;
        }
    }
    Check(pairs == CountLines(in) + CountLoneLF(in), "line breaks in the view");

    std::string text(in);
    std::erase_if(text, [](char b) { return b == '\r' || b == '\n'; });
    Check(shown == cp.ToWide(text), "characters of the view");

    // Every byte of Windows-1251 has a character of its own (0x98, which has none, keeps
    // U+0098), so any bytes come back unchanged. A prefix is enough: each byte stands alone,
    // and the reverse lookup is slow.
    const std::string_view head = in.substr(0, 512);
    Check(cp.ToAnsi(cp.ToWide(head)) == head, "code page round trip");
    return 0;
}
