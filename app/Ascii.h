#pragma once
// Small text rules that every room shares: letter case as Windows folds the ASCII names the
// program compares (paths it makes, switches, registry names, host names), and the shape of a full
// drive path.
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

template <class Char>
requires std::is_integral_v<Char>
constexpr Char AsciiLower(Char c) {
    return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

inline std::wstring AsciiLower(std::wstring_view text) {
    std::wstring lower(text);
    for (wchar_t& c : lower) c = AsciiLower(c);
    return lower;
}

inline std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = AsciiLower(c);
    return lower;
}

inline bool AsciiEqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

// A path on a drive by its full name, "X:\..." (or "X:/..."): never relative to whatever the
// current folder or drive happens to be, never a share's or a device's.
inline bool IsDrivePath(std::wstring_view path) {
    const wchar_t letter = AsciiLower(path.empty() ? L'\0' : path[0]);
    return path.size() >= 3 && letter >= L'a' && letter <= L'z' && path[1] == L':' &&
           (path[2] == L'\\' || path[2] == L'/');
}
