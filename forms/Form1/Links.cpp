#include "forms/Form1/Links.h"

#include "app/Caption.h"

void OpenWebPage(const Platform& s, const wchar_t* address) {
    if (!s.shell.OpenAsDesktopUser(address))
        s.ui.MsgBox(OpenByHand(address), vbOKOnly + vbInformation, MainCaption);
}
