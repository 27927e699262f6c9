// Start-up. With no arguments the main window is the program: creating it runs its load event
// (the check of the hosts file) before it is first shown, and the program ends with the last
// window. With a command line, the technician's check or repair runs without a window.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <vector>

#include "app/Fatal.h"
#include "app/Win32Platform.h"
// The arrows upward: start-up creates the main window, or runs the command line.
#include "forms/Form1/Form1.h"
#include "hosts/HostsCommandLine.h"

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

std::vector<std::wstring> Arguments() {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args) ThrowLastError(L"CommandLineToArgvW");
    std::vector<std::wstring> list(args + 1, args + count);  // without the program's own name
    LocalFree(args);
    return list;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return Guarded([] {
        LoadDllsFromSystemOnly();
        const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        Win32Platform system;
        const Command command = ParseCommandLine(Arguments());
        if (command.action != Command::Window) return RunCommand(system.Get(), command);
        // The window on another installation: its windir, and no look at the running one's registry.
        if (!command.windowsDir.empty() && !SetEnvironmentVariableW(L"windir", command.windowsDir.c_str()))
            ThrowLastError(L"windir");
        Form1 form(system.Get(), command.windowsDir.empty());
        form.Form_Load();
        form.Show();
        return Window::RunMessageLoop();
    });
}
