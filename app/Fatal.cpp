#include "app/Fatal.h"

#include <windows.h>

#include <string>

#include "app/AppInfo.h"
#include "app/Win32Platform.h"
#include "app/WinNumbers.h"

void ShowUnrecoverableError(const Failure& failure) {
    std::wstring text =
        L"Ошибка " + std::to_wstring(failure.Code()) + L": " + Win32Environment().ErrorText(failure.Code());
    if (!failure.Subject().empty()) text += L"\n\n" + failure.Subject();
    // A window destroyed on the way here (the main window, when the failure unwinds its
    // scope) has posted WM_QUIT, which would end the box's modal loop before the user saw it.
    MSG quit;
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    MessageBoxW(GetActiveWindow(), text.c_str(), std::wstring(ThisApp.title).c_str(), vbOKOnly + vbCritical);
    ExitProcess(failure.Code() ? failure.Code() : 1);
}
