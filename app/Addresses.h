#pragma once
// IPv4 addresses as hosts files and the registry hold them: in dotted decimal, four parts.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

std::optional<std::array<std::uint8_t, 4>> Ipv4Of(std::string_view text);

// 10/8, 172.16/12, 192.168/16: a home or company network's, and Windows' own shared connection's.
bool IsPrivate(const std::array<std::uint8_t, 4>& a);
// Reached across the internet: none of the private, loopback, link-local, "this network" or
// multicast and reserved ranges.
bool IsPublic(const std::array<std::uint8_t, 4>& a);

// Whether two addresses are on the same network, by its mask.
bool SameNetwork(const std::array<std::uint8_t, 4>& a, const std::array<std::uint8_t, 4>& b,
    const std::array<std::uint8_t, 4>& mask);
