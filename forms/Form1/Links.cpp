#include "forms/Form1/Links.h"

#include "app/Caption.h"

void OpenWebPage(Shell& shell, const wchar_t* address, const std::function<void()>& unopened) {
    if (!shell.OpenAsDesktopUser(address)) unopened();
}

void ShowOpenByHand(const Platform& s, const wchar_t* address) {
    s.ui.MsgBox(OpenByHand(address), vbOKOnly + vbInformation, MainCaption);
}
