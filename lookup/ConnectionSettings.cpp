#include "lookup/ConnectionSettings.h"

namespace {

constexpr std::size_t CounterAt = 4, FlagsAt = 8;

std::uint32_t NumberAt(std::string_view value, std::size_t at) {
    std::uint32_t n = 0;
    for (int i = 3; i >= 0; --i) n = n << 8 | static_cast<unsigned char>(value[at + i]);
    return n;
}

void PutNumber(std::string& value, std::size_t at, std::uint32_t n) {
    for (int i = 0; i < 4; ++i) value[at + i] = static_cast<char>(n >> (8 * i));
}

}  // namespace

ConnectionSettings DecodeConnectionSettings(std::string_view value) {
    ConnectionSettings settings;
    std::size_t at = FlagsAt + 4;
    const auto text = [&](std::string& s) {
        if (value.size() < at || value.size() - at < 4) return false;
        const std::uint32_t length = NumberAt(value, at);
        at += 4;
        if (value.size() - at < length) return false;
        s = value.substr(at, length);
        at += length;
        return true;
    };
    if (value.size() < at || !text(settings.proxy) || !text(settings.bypass) || !text(settings.script)) {
        settings = {};
        settings.damaged = true;
        return settings;
    }
    settings.flags = NumberAt(value, FlagsAt);
    return settings;
}

std::string ConnectionSwitchedOff(std::string_view old) {
    std::string value(old);
    if (value.size() < FlagsAt + 4) return value;  // too short to hold them: left as it is
    PutNumber(value, CounterAt, NumberAt(value, CounterAt) + 1);
    PutNumber(value, FlagsAt,
        NumberAt(value, FlagsAt) & ~std::uint32_t{ConnectionSettings::Proxy | ConnectionSettings::Script});
    return value;
}
