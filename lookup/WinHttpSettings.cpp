#include "lookup/WinHttpSettings.h"

#include <cstdint>

namespace {

constexpr std::uint32_t DirectFlag = 1, NamedProxyFlag = 2;

std::string LittleEndian(std::uint32_t n) {
    return {static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16), static_cast<char>(n >> 24)};
}

}  // namespace

WinHttpProxy DecodeWinHttpSettings(std::string_view value) {
    WinHttpProxy settings;
    std::size_t at = 0;
    const auto number = [&](std::uint32_t& n) {
        if (value.size() - at < 4) return false;
        n = 0;
        for (int i = 3; i >= 0; --i) n = n << 8 | static_cast<unsigned char>(value[at + i]);
        at += 4;
        return true;
    };
    const auto text = [&](std::string& s) {
        std::uint32_t length = 0;
        if (!number(length) || value.size() - at < length) return false;
        s = value.substr(at, length);
        at += length;
        return true;
    };
    std::uint32_t version = 0, counter = 0, flags = 0;
    if (!number(version) || !number(counter) || !number(flags) || !text(settings.proxy) || !text(settings.bypass))
        settings.state = WinHttpProxy::Damaged;
    else if (flags & NamedProxyFlag) settings.state = WinHttpProxy::Named;
    return settings;
}

std::string DirectWinHttpSettings(std::string_view old) {
    std::string header(old.substr(0, 8));
    header.resize(8, '\0');
    return header + LittleEndian(DirectFlag) + LittleEndian(0) + LittleEndian(0);
}
