#pragma once
// The system's single-byte ANSI code page, as a table from byte to character.
// Hosts file bytes and the ANSI system calls use it; everything else is Unicode.
#include <array>
#include <string>
#include <string_view>

struct Codepage {
    std::array<wchar_t, 256> toWide;

    std::wstring ToWide(std::string_view bytes) const;
    // A character the code page lacks becomes '?', as the system's own conversion does.
    std::string ToAnsi(std::wstring_view text) const;
};

// Windows-1251, the code page of the Russian-language systems the program addresses.
const Codepage& Windows1251();

// UTF-8, for what leaves the program as text for other computers: logs and piped output. Always
// valid: half a surrogate pair becomes U+FFFD.
std::string Utf8(std::wstring_view text);

// UTF-8 read back, for what other programs write in it (Firefox's files): a byte that starts no
// whole, shortest, valid sequence becomes U+FFFD alone, so that the bytes after it are read for
// what they are.
std::wstring FromUtf8(std::string_view utf8);

// Text as the registry's Unicode calls store it: UTF-16, little-endian, with its terminating
// NUL; and back, up to its first NUL.
std::string RegistryBytes(std::wstring_view text);
std::wstring RegistryText(std::string_view bytes);

// Text that a hosts file or the registry supplies, fit for one line of a console, a log or a
// message: every control character (C0, DEL, C1) becomes '?', so that a line stays one line
// and no terminal escape sequence reaches the screen; so does every character that changes how
// others show (bidirectional, zero-width, line and paragraph separators); half a surrogate pair
// becomes U+FFFD.
std::wstring Printable(std::wstring_view text);
