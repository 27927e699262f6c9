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

bool ReadSettingsLayout(std::string_view value, std::uint32_t& flags, std::initializer_list<std::string*> texts) {
    std::size_t at = FlagsAt + 4;
    if (value.size() < at) return false;
    flags = NumberAt(value, FlagsAt);
    for (std::string* text : texts) {
        if (value.size() - at < 4) return false;
        const std::uint32_t length = NumberAt(value, at);
        at += 4;
        if (value.size() - at < length) return false;
        *text = value.substr(at, length);
        at += length;
    }
    return true;
}

ConnectionSettings DecodeConnectionSettings(std::string_view value) {
    ConnectionSettings settings;
    if (!ReadSettingsLayout(value, settings.flags, {&settings.proxy, &settings.bypass, &settings.script})) {
        settings = {};
        settings.damaged = true;
    }
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
