#include "console/Json.h"

#include "app/Codepage.h"

Json::Json(std::wstring_view text) {
    std::wstring quoted = L"\"";
    for (const wchar_t c : Printable(text)) {
        if (c == L'"' || c == L'\\') quoted += L'\\';
        quoted += c;
    }
    text_ = Utf8(quoted + L"\"");
}

Json& Json::Add(std::string_view key, const Json& value) {
    Append(Json(std::wstring(key.begin(), key.end())).Text() + ":" + value.Text());
    return *this;
}

Json& Json::Push(const Json& value) {
    Append(value.Text());
    return *this;
}

void Json::Append(const std::string& item) {
    if (text_.size() > 1) text_ += ',';
    text_ += item;
}
