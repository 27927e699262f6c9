#include "forms/Form1/Links.h"

void OpenWebPage(ShellCalls& shell, std::intptr_t mainWindow, const char* address) {
    shell.ShellExecuteA(mainWindow, nullptr, address, nullptr, "c:\\", win::ShowNormal);
}
