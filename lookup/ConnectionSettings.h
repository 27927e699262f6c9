#pragma once
// A connection's proxy settings as WinINET keeps them, and browsers read them (Internet
// Settings\Connections: DefaultConnectionSettings for the local network, SavedLegacySettings, and
// a value for each dial-up, VPN or PPPoE entry, named after it). ProxyEnable, ProxyServer and
// AutoConfigURL are only their old mirrors. The layout: three 32-bit numbers (a version, a
// counter, the flags), then the proxy list, the bypass list and the script's address, each a
// 32-bit length and that many single-byte characters, then fields of WinINET's own.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

// The layout that WinINET's connection values and WinHTTP's value share: a version, a counter and
// the flags, then texts, each a 32-bit length and that many bytes. Reads the flags and `texts`, in
// order; false when the value is cut short, or a length runs past its end, before the last of them
// is whole (the texts read until then are kept).
bool ReadSettingsLayout(std::string_view value, std::uint32_t& flags, std::initializer_list<std::string*> texts);

struct ConnectionSettings {
    enum Flag : std::uint32_t { Direct = 1, Proxy = 2, Script = 4, Detect = 8 };
    bool damaged = false;  // cut short, or a length past the value's end: nothing in it is trusted
    std::uint32_t flags = 0;
    std::string proxy, bypass, script;
};
ConnectionSettings DecodeConnectionSettings(std::string_view value);

// The value with its proxy and its script switched off (flags 2 and 4 cleared, 1 and 8 kept) and
// its counter moved on, so that WinINET takes it for a change; every other byte as it was.
std::string ConnectionSwitchedOff(std::string_view old);
