#include "forms/Form1/Links.h"

#include "app/Caption.h"

void OpenWebPage(const Platform& s, const wchar_t* address) {
    if (!s.shell.OpenAsDesktopUser(address))
        s.ui.MsgBox(L"Откройте этот адрес в браузере:\n" + std::wstring(address), vbOKOnly + vbInformation, MainCaption);
}
