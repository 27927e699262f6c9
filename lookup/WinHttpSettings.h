#pragma once
// The WinHTTP proxy as WinHttpSettings keeps it, in the layout of WinINET's connection values
// (ReadSettingsLayout) without their script: the flags (1 direct, 2 a proxy), then the proxy list
// and the bypass list.
#include <string>
#include <string_view>

struct WinHttpProxy {
    enum State { Direct, Named, Damaged };
    State state = Direct;
    std::string proxy, bypass;
};
WinHttpProxy DecodeWinHttpSettings(std::string_view value);

// WinHttpSettings set to direct as `netsh winhttp reset proxy` writes it: version 0x18, counter 0,
// flags 1, both lists empty.
std::string DirectWinHttpSettings();
