#pragma once
// The command line for technicians and fleets: the check and the repairs without a window,
// each telling what it did in a line a result and, last, one line in ASCII for scripts in any
// language, with an exit code that Group Policy scripts, Intune, PsExec and Ansible read.
#include <string>
#include <vector>

#include "app/Platform.h"

struct Command {
    enum Action { Window, Check, Repair, Restore, Usage, Invalid };
    Action action = Window;
    std::wstring restoreFrom;  // /restore:FILE
    std::wstring windowsDir;   // /windir:PATH, absolute; empty: the running Windows
    std::wstring log;          // /log:FILE
    std::wstring allow;        // /allow:FILE, a company's own entries
    std::string allowSha256;   // /allow:FILE#SHA256, the list's pinned hash in small letters; empty: none
    bool utf8 = false;         // /utf8: redirected output in UTF-8 rather than the console's code page
    bool json = false;         // /json: one JSON object instead of the lines
    bool eventLog = false;     // /eventlog: the run's entry in the Application log
};

// Switches in Windows style, /x or -x, the name in any letter case; each at most once, at most
// one action, and each setting with an action it goes with. No action (at most /windir:) opens
// the window; anything else is Invalid.
Command ParseCommandLine(const std::vector<std::wstring>& args);

// Runs a command that needs no window, and shows none (but for the usage asked for with /?
// where there is no console); returns the exit code.
int RunCommand(const Platform& s, const Command& command);
