#pragma once
// The command line for technicians and fleets: the check and the repairs without a window,
// each telling what it did in a line a result, with an exit code that Group Policy scripts,
// Intune, PsExec and Ansible read: 0 done, or stock; 1 modified, missing or redirected; 87 a
// switch not understood; otherwise the Windows error.
#include <string>
#include <vector>

#include "app/Platform.h"

struct Command {
    enum Action { Window, Check, Repair, Restore, Usage, Invalid };
    Action action = Window;
    std::wstring restoreFrom;  // /restore:FILE
    std::wstring windowsDir;   // /windir:PATH; empty: %windir%
    std::wstring log;          // /log:FILE
};

// Switches in Windows style, /x or -x, in any letter case. No action (at most /windir:) opens the window.
Command ParseCommandLine(const std::vector<std::wstring>& args);

// Runs a command that needs no window; returns the exit code.
int RunCommand(const Platform& s, const Command& command);
