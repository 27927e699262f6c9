#include "app/Addresses.h"

std::optional<std::array<std::uint8_t, 4>> Ipv4Of(std::string_view text) {
    std::array<std::uint8_t, 4> parts{};
    std::size_t part = 0, digits = 0;
    unsigned value = 0;
    for (const char c : text) {
        if (c == '.' && digits > 0 && part < 3) {
            parts[part++] = static_cast<std::uint8_t>(value);
            digits = 0, value = 0;
        } else if (c >= '0' && c <= '9' && digits < 3 && (value = value * 10 + (c - '0')) <= 255) {
            ++digits;
        } else {
            return std::nullopt;
        }
    }
    if (part != 3 || digits == 0) return std::nullopt;
    parts[3] = static_cast<std::uint8_t>(value);
    return parts;
}

bool IsPrivate(const std::array<std::uint8_t, 4>& a) {
    return a[0] == 10 || (a[0] == 172 && (a[1] & 0xF0) == 16) || (a[0] == 192 && a[1] == 168);
}

bool IsPublic(const std::array<std::uint8_t, 4>& a) {
    return !IsPrivate(a) && a[0] != 0 && a[0] != 127 && !(a[0] == 169 && a[1] == 254) && a[0] < 224;
}

bool SameNetwork(const std::array<std::uint8_t, 4>& a, const std::array<std::uint8_t, 4>& b,
    const std::array<std::uint8_t, 4>& mask) {
    for (std::size_t i = 0; i < 4; ++i)
        if ((a[i] ^ b[i]) & mask[i]) return false;
    return true;
}
