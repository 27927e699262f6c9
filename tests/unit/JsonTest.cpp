// The JSON writer: one line of UTF-8 that any parser takes, whatever text malware planted.
#include <gtest/gtest.h>

#include "console/Json.h"

namespace {

TEST(Json, WrittenCompactOnOneLineInUtf8) {
    // clang-format off
    const struct { const char* name; Json value; std::string text; } rows[] = {
        {"a quote and a backslash escaped", L"C:\\\"x\"", R"("C:\\\"x\"")"},
        {"control characters and an escape sequence cleaned", L"a\r\nb\x1b[2J\x7f", R"("a??b?[2J?")"},
        {"Cyrillic as UTF-8", L"файл", "\"\xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB\""},
        {"an empty object", Json::Object(), "{}"},
        {"nested, in the order built", Json::Object().Add("z", 3010).Add("a", Json::Array().Push(true).Push(nullptr)
            .Push(Json::Object().Add("n", -1))).Add("e", Json::Array()), R"({"z":3010,"a":[true,null,{"n":-1}],"e":[]})"},
    };
    // clang-format on
    for (const auto& row : rows) EXPECT_EQ(row.value.Text(), row.text) << row.name;
}

}  // namespace
