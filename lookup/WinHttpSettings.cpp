#include "lookup/WinHttpSettings.h"

#include <cstdint>

#include "lookup/ConnectionSettings.h"

namespace {

// The version `netsh winhttp reset proxy` writes, with a counter of 0: WinHTTP takes only that
// pair as its own direct setting.
constexpr std::uint32_t NetshVersion = 0x18;

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

std::string DirectWinHttpSettings() {
    return LittleEndian(NetshVersion) + LittleEndian(0) + LittleEndian(ConnectionSettings::Direct) + LittleEndian(0) +
           LittleEndian(0);
}
