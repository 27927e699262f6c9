#include "console/Json.h"

#include <cstdio>

#include "app/Codepage.h"

std::wstring JsonString(std::wstring_view text) {
    std::wstring quoted = L"\"";
    for (const wchar_t c : Printable(text)) {
        if (c < 0x80) {
            if (c == L'"' || c == L'\\') quoted += L'\\';
            quoted += c;
        } else {
            wchar_t escaped[7];
            std::swprintf(escaped, 7, L"\\u%04x", static_cast<unsigned>(c));
            quoted += escaped;
        }
    }
    return quoted + L'"';
}

Json& Json::Next() {
    if (text_.size() > 1) text_ += L',';
    return *this;
}

Json& Json::Member(std::wstring_view key) {
    Next().text_ += JsonString(key) + L':';
    return *this;
}

Json& Json::Raw(std::wstring_view json) {
    text_ += json;
    return *this;
}

Json& Json::Add(std::wstring_view key, std::wstring_view text) { return Member(key).Raw(JsonString(text)); }
Json& Json::AddNumber(std::wstring_view key, std::uint64_t number) { return Member(key).Raw(std::to_wstring(number)); }
Json& Json::AddFlag(std::wstring_view key, bool flag) { return Member(key).Raw(flag ? L"true" : L"false"); }
Json& Json::Add(std::wstring_view key, const Json& value) { return Member(key).Raw(value.Text()); }
Json& Json::AddOrNull(std::wstring_view key, const std::optional<std::wstring>& text) {
    return Member(key).Raw(text ? JsonString(*text) : L"null");
}
Json& Json::Push(std::wstring_view text) { return Next().Raw(JsonString(text)); }
Json& Json::Push(const Json& value) { return Next().Raw(value.Text()); }
