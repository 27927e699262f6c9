#include "app/Fatal.h"

#include <windows.h>

#include <string>

#include "app/AppInfo.h"
#include "app/WinNumbers.h"

namespace {

std::wstring SystemErrorText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result = n ? std::wstring(text, n) : L"Неизвестная ошибка.";
    LocalFree(text);
    while (!result.empty() && (result.back() == L'\r' || result.back() == L'\n' || result.back() == L' '))
        result.pop_back();
    return result;
}

}  // namespace

void ShowUnrecoverableError(const Failure& failure) {
    std::wstring text = L"Ошибка " + std::to_wstring(failure.Code()) + L": " + SystemErrorText(failure.Code());
    if (!failure.Subject().empty()) text += L"\n\n" + failure.Subject();
    // A window destroyed on the way here (the main window, when the failure unwinds its
    // scope) has posted WM_QUIT, which would end the box's modal loop before the user saw it.
    MSG quit;
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    MessageBoxW(GetActiveWindow(), text.c_str(), std::wstring(ThisApp.title).c_str(), vbOKOnly + vbCritical);
    ExitProcess(failure.Code() ? failure.Code() : 1);
}
