#include "app/Codepage.h"

#include <algorithm>

std::wstring Codepage::ToWide(std::string_view bytes) const {
    std::wstring text(bytes.size(), L'\0');
    std::transform(
        bytes.begin(), bytes.end(), text.begin(), [this](char b) { return toWide[static_cast<unsigned char>(b)]; });
    return text;
}

std::string Codepage::ToAnsi(std::wstring_view text) const {
    std::string bytes;
    bytes.reserve(text.size());
    for (wchar_t c : text) {
        auto at = std::find(toWide.begin(), toWide.end(), c);
        bytes.push_back(at == toWide.end() ? '?' : static_cast<char>(at - toWide.begin()));
    }
    return bytes;
}

std::string RegistryBytes(std::wstring_view text) {
    std::string bytes;
    for (wchar_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8 & 0xFF)};
    return bytes + std::string(2, '\0');
}

std::wstring RegistryText(std::string_view bytes) {
    std::wstring text;
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        const auto c = static_cast<wchar_t>(
            static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8);
        if (c == 0) break;
        text += c;
    }
    return text;
}

const Codepage& Windows1251() {
    static const Codepage cp = [] {
        // 0x80..0xBF; 0x98 has no character and maps to U+0098 as the system does.
        static constexpr wchar_t upper[64] = {0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC,
            0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
            0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E,
            0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
            0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458,
            0x0405, 0x0455, 0x0457};
        Codepage c{};
        for (int b = 0; b < 0x80; ++b) c.toWide[b] = static_cast<wchar_t>(b);
        for (int b = 0x80; b < 0xC0; ++b) c.toWide[b] = upper[b - 0x80];
        for (int b = 0xC0; b < 0x100; ++b) c.toWide[b] = static_cast<wchar_t>(0x0410 + (b - 0xC0));
        return c;
    }();
    return cp;
}

namespace {

// UTF-16 (wchar_t on Windows) carries characters beyond U+FFFF as surrogate pairs.
bool IsSurrogate(char32_t c) { return c >= 0xD800 && c < 0xE000; }
bool PairsAt(std::wstring_view text, std::size_t i) {
    return i + 1 < text.size() && text[i] >= 0xD800 && text[i] < 0xDC00 && text[i + 1] >= 0xDC00 &&
           text[i + 1] < 0xE000;
}

// Characters that change how the text around them shows without showing themselves: the
// bidirectional controls, which can show a name backwards (U+202E, U+061C); the zero-width and
// invisible ones, which hide a difference between two names (U+2060-2064, the deprecated format
// characters, the interlinear annotations, the tag characters); the line and paragraph
// separators, which start a line.
bool Unseen(char32_t c) {
    return (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) ||
           c == 0xFEFF || c == 0x061C || (c >= 0x2060 && c <= 0x2064) || (c >= 0x206A && c <= 0x206F) ||
           (c >= 0xFFF9 && c <= 0xFFFB) || (c >= 0xE0000 && c <= 0xE007F);
}

}  // namespace

std::string Utf8(std::wstring_view text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if (PairsAt(text, i)) c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[++i]) - 0xDC00);
        else if (IsSurrogate(c)) c = 0xFFFD;  // half a pair has no UTF-8
        if (c < 0x80) {
            bytes += static_cast<char>(c);
        } else {
            static constexpr unsigned char Lead[] = {0, 0xC0, 0xE0, 0xF0};
            const int tail = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
            bytes += static_cast<char>(Lead[tail] | (c >> (6 * tail)));
            for (int k = tail - 1; k >= 0; --k) bytes += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
        }
    }
    return bytes;
}

std::wstring Printable(std::wstring_view text) {
    std::wstring shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (PairsAt(text, i)) {
            const char32_t pair = 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            if (Unseen(pair)) shown += L'?';
            else shown.append(text.substr(i, 2));
            ++i;
        } else if (c < 0x20 || (c >= 0x7F && c < 0xA0) || Unseen(static_cast<char32_t>(c))) {
            shown += L'?';
        } else {
            shown += IsSurrogate(static_cast<char32_t>(c)) ? wchar_t{0xFFFD} : c;
        }
    }
    return shown;
}

namespace {

// The bytes of UTF-8 a lead byte starts; 0 for a continuation byte or a lead that no character has.
std::size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead < 0xE0) return 2;
    if (lead >= 0xE0 && lead < 0xF0) return 3;
    return lead >= 0xF0 && lead < 0xF5 ? 4 : 0;
}

// The character at the front of `bytes`, taken off it. A byte that starts no whole, shortest,
// valid sequence is taken alone as U+FFFD, so that the bytes after it are read for what they are.
char32_t TakeCharacter(std::string_view& bytes) {
    const std::size_t length = SequenceLength(static_cast<unsigned char>(bytes[0]));
    bool whole = length != 0 && bytes.size() >= length;
    char32_t c = static_cast<unsigned char>(bytes[0]) & (length == 1 ? 0x7F : 0x7F >> length);
    for (std::size_t i = 1; whole && i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(bytes[i]);
        whole = (next & 0xC0) == 0x80;
        c = c << 6 | (next & 0x3F);
    }
    constexpr char32_t Least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (!whole || c < Least[length] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
        bytes.remove_prefix(1);
        return char32_t{0xFFFD};
    }
    bytes.remove_prefix(length);
    return c;
}

// Beyond U+FFFF a 16-bit wchar_t (Windows') takes a surrogate pair.
void AppendWide(std::wstring& wide, char32_t c) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (c > 0xFFFF) {
            wide += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            c = 0xDC00 + ((c - 0x10000) & 0x3FF);
        }
    }
    wide += static_cast<wchar_t>(c);
}

}  // namespace

std::wstring FromUtf8(std::string_view utf8) {
    std::wstring wide;
    while (!utf8.empty()) AppendWide(wide, TakeCharacter(utf8));
    return wide;
}
