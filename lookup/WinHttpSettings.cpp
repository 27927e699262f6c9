#include "lookup/WinHttpSettings.h"

#include <cstdint>

#include "lookup/ConnectionSettings.h"

namespace {

std::string LittleEndian(std::uint32_t n) {
    return {static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16), static_cast<char>(n >> 24)};
}

}  // namespace

WinHttpProxy DecodeWinHttpSettings(std::string_view value) {
    WinHttpProxy settings;
    std::uint32_t flags = 0;
    if (!ReadSettingsLayout(value, flags, {&settings.proxy, &settings.bypass})) settings.state = WinHttpProxy::Damaged;
    else if (flags & ConnectionSettings::Proxy) settings.state = WinHttpProxy::Named;
    return settings;
}

std::string DirectWinHttpSettings(std::string_view old) {
    std::string header(old.substr(0, 8));
    header.resize(8, '\0');
    return header + LittleEndian(ConnectionSettings::Direct) + LittleEndian(0) + LittleEndian(0);
}
