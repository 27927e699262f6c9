#pragma once
// The main window's caption, which also titles most messages.
#include <string>
#include <string_view>

inline constexpr std::wstring_view MainCaption = L"Хостовик сайтов| by Kostya_IT";

inline std::wstring DetectionTitle() {
    return std::wstring(L"Эвристическое обнаружение | ") + std::wstring(MainCaption);
}
