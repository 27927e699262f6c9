// Start-up. With no arguments the main window is the program: creating it runs its load event
// (the check of the hosts file) before it is first shown, and the program ends with the last
// window. With a command line, the technician's check or repair runs without any window. The
// console build (hostovik-cli.exe, HOSTOVIK_CONSOLE) is the same program for shells to wait for.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <new>
#include <vector>

#include "app/DllSearch.h"
#include "app/Fatal.h"
#include "app/Win32Platform.h"
// The arrows upward: start-up creates the main window, or runs the command line.
#include "forms/Form1/Form1.h"
#include "console/CommandLine.h"

namespace {

// Before anything loads a DLL of its own choosing: see app/DllSearch.h.
void NarrowDllSearch() {
    Win32DllSearch calls;
    LoadDllsFromSystemOnly(calls);
}

std::vector<std::wstring> Arguments() {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args) ThrowLastError(L"CommandLineToArgvW");
    std::vector<std::wstring> list(args + 1, args + count);  // without the program's own name
    LocalFree(args);
    return list;
}

int RunWindow(const std::wstring& otherWindows) {
    return Guarded([&] {
        NarrowDllSearch();
        SetBackupAndRestorePrivileges(false);  // enabled around the hosts file's calls only
        const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        Win32Platform system;
        Form1 form(system.Get(), otherWindows);
        form.Form_Load();
        form.Show();
        return Window::RunMessageLoop();
    });
}

// A run with switches shows no window of its own, errors included: a start-up script or a task
// in session 0 has nobody to answer one, and would wait for it until its time-out.
int RunSwitches(const Command& command) {
    try {
        NarrowDllSearch();
        SetBackupAndRestorePrivileges(false);  // enabled around the hosts file's calls only
        Win32Platform system(command.utf8);
        return RunCommand(system.Get(), command);
    } catch (const Failure& f) {
        return static_cast<int>(f.Code());
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    } catch (...) {
        return ERROR_INTERNAL_ERROR;
    }
}

int Start() {
    Command command;
    try {
        command = ParseCommandLine(Arguments());
    } catch (const Failure& f) {
        return static_cast<int>(f.Code());
    }
#ifdef HOSTOVIK_CONSOLE
    if (command.action == Command::Window) command.action = Command::Invalid;  // no window here: the usage
#endif
    return command.action == Command::Window ? RunWindow(command.windowsDir) : RunSwitches(command);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return Start(); }

int wmain(int, wchar_t**) { return Start(); }
