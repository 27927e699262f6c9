// Start-up: the main window is the program. Creating it runs its load event (the check
// of the hosts file) before it is first shown; the program ends with the last window.
#include <windows.h>
#include <commctrl.h>

#include "app/Fatal.h"
#include "app/Win32Platform.h"
// The one arrow upward: start-up creates the main window.
#include "forms/Form1/Form1.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return Guarded([] {
        const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        Win32Platform system;
        Form1 form(system.Get());
        form.Form_Load();
        form.Show();
        return Window::RunMessageLoop();
    });
}
