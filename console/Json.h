#pragma once
// A JSON value for reports that other programs read: built in order, written compact on one line
// in UTF-8. An object keeps its keys (ASCII) in the order they were added.
#include <concepts>
#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

class Json {
public:
    static Json Object() { return Json("{", '}'); }
    static Json Array() { return Json("[", ']'); }

    // A string. Text from a file or the registry is made printable first: no control character
    // reaches a terminal, and the value stays on its line.
    Json(std::wstring_view text);
    Json(const std::wstring& text) : Json(std::wstring_view(text)) {}
    Json(const wchar_t* text) : Json(std::wstring_view(text)) {}
    template <class Number>
    requires std::is_integral_v<Number> &&(!std::same_as<Number, bool>)Json(Number number)
        : text_(std::to_string(number)) {}
    // A template, so that a pointer never turns into a bool.
    template <std::same_as<bool> Bool>
    Json(Bool value) : text_(value ? "true" : "false") {}
    Json(std::nullptr_t) : text_("null") {}

    // An object's member, an array's element.
    Json& Add(std::string_view key, const Json& value);
    Json& Push(const Json& value);

    std::string Text() const { return close_ ? text_ + close_ : text_; }

private:
    Json(const char* open, char close) : text_(open), close_(close) {}
    void Append(const std::string& item);

    std::string text_;  // an object or an array without its closing bracket
    char close_ = 0;
};
