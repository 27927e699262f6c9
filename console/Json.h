#pragma once
// JSON for machines that read a run's report: objects and arrays built a member at a time, on one
// line. Every text is made printable first (a control character becomes '?'), so that a value
// taken from the registry or a file cannot break the line or the document; and every character
// beyond ASCII is escaped, so that a reader that takes the output in the console's code page
// (PowerShell, Ansible) reads the same text as one that takes UTF-8.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class Json {
public:
    static Json Object() { return Json(L"{", L"}"); }
    static Json Array() { return Json(L"[", L"]"); }
    static Json Null() { return Json(L"null", L""); }

    // An object's members, by key.
    Json& Add(std::wstring_view key, std::wstring_view text);
    Json& Add(std::wstring_view key, const wchar_t* text) { return Add(key, std::wstring_view(text)); }
    Json& AddNumber(std::wstring_view key, std::uint64_t number);
    Json& AddFlag(std::wstring_view key, bool flag);
    Json& Add(std::wstring_view key, const Json& value);
    Json& AddOrNull(std::wstring_view key, const std::optional<std::wstring>& text);

    // An array's elements.
    Json& Push(std::wstring_view text);
    Json& Push(const Json& value);

    std::wstring Text() const { return text_ + close_; }

private:
    Json(const wchar_t* open, const wchar_t* close) : text_(open), close_(close) {}
    Json& Member(std::wstring_view key);
    Json& Next();
    Json& Raw(std::wstring_view json);

    std::wstring text_;
    const wchar_t* close_;
};

// A JSON string: quoted, printable, its quotes and backslashes escaped, and beyond ASCII \uXXXX.
std::wstring JsonString(std::wstring_view text);
