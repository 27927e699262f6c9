#include "forms/Form1/Links.h"

void OpenWebPage(ShellCalls& shell, std::intptr_t mainWindow, const char* address) {
    constexpr int ShowNormal = 1;  // SW_SHOWNORMAL
    shell.ShellExecuteA(mainWindow, nullptr, address, nullptr, "c:\\", ShowNormal);
}
