// Any bytes at all may be a hosts file: the LF count, the view's text, the code page and the scan
// for entries must hold their rules for every input, not only for well-formed ones.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "app/Codepage.h"
#include "hosts/HostsText.h"

namespace {

void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
}

// The view by its rules, the plain way: CR, CR LF and a lone LF are each shown as one CR LF; a
// last line that no CR or CR LF closes gets one; a NUL shows as its placeholder.
std::wstring PlainView(std::string_view b, const Codepage& cp) {
    std::wstring view;
    for (std::size_t i = 0; i < b.size(); ++i) {
        if (b[i] == '\r' || b[i] == '\n') {
            view += L"\r\n";
            i += b[i] == '\r' && i + 1 < b.size() && b[i + 1] == '\n';
        } else {
            view += b[i] == '\0' ? NulPlaceholder : cp.toWide[static_cast<unsigned char>(b[i])];
        }
    }
    return !b.empty() && !b.ends_with('\r') && !b.ends_with("\r\n") ? view + L"\r\n" : view;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    const Codepage& cp = Windows1251();
    Check(CountLF(in) == static_cast<std::size_t>(std::count(in.begin(), in.end(), '\n')), "LF count");
    Check(BuildViewText(in, cp) == PlainView(in, cp), "view");
    // Every byte of Windows-1251 has a character of its own (0x98, which has none, keeps
    // U+0098), so any bytes come back unchanged. A prefix is enough: each byte stands alone,
    // and the reverse lookup is slow.
    const std::string_view head = in.substr(0, 512);
    Check(cp.ToAnsi(cp.ToWide(head)) == head, "code page round trip");
    // The entries are the same however the file comes in pieces.
    HostsScan whole(4), pieces(4);
    whole.Add(in);
    for (std::size_t at = 0; at < in.size(); at += 3) pieces.Add(in.substr(at, 3));
    whole.Finish();
    pieces.Finish();
    Check(whole.entries == pieces.entries && whole.listed == pieces.listed, "entries in pieces");
    return 0;
}
