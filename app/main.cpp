// Start-up: the main window is the program. Creating it runs its load event (the check
// of the hosts file) before it is first shown; the program ends with the last window.
#include <windows.h>
#include <commctrl.h>

#include "app/Fatal.h"
#include "app/Win32Platform.h"
// The one arrow upward: start-up creates the main window.
#include "forms/Form1/Form1.h"

namespace {

// DLLs loaded later (by the shell, the common controls, the system's own code) come from the
// system folder only, never from the program's folder, which is often Downloads. Looked up at
// run time: Windows 7 has it only with KB2533623, Vista not at all.
void LoadDllsFromSystemOnly() {
    using Setter = BOOL(WINAPI*)(DWORD);
    const auto set = reinterpret_cast<Setter>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (set && !set(LOAD_LIBRARY_SEARCH_SYSTEM32)) ThrowLastError(L"SetDefaultDllDirectories");
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return Guarded([] {
        LoadDllsFromSystemOnly();
        const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        Win32Platform system;
        Form1 form(system.Get());
        form.Form_Load();
        form.Show();
        return Window::RunMessageLoop();
    });
}
