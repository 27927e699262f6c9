#pragma once
// The WinHTTP proxy as WinHttpSettings keeps it: a header of three 32-bit numbers (a version,
// a counter, the flags: 1 direct, 2 a proxy), then the proxy list and the bypass list, each a
// 32-bit length and that many single-byte characters.
#include <string>
#include <string_view>

struct WinHttpProxy {
    enum State { Direct, Named, Damaged };
    State state = Direct;
    std::string proxy, bypass;
};
WinHttpProxy DecodeWinHttpSettings(std::string_view value);

// WinHttpSettings set to direct as `netsh winhttp reset proxy` writes it: the old value's version
// and counter, flags 1, both lists empty.
std::string DirectWinHttpSettings(std::string_view old);
