#pragma once
// What a run of the command line ends with: the exit code that Group Policy scripts, Intune,
// PsExec and Ansible read. Besides the codes named here, any value is the Windows error of a
// failed action.
#include <cstdint>

#include "app/WinNumbers.h"

enum class ExitCode : std::uint32_t {
    Done = 0,                                          // the file is clean, or the action done
    Found = 1,                                         // /check found entries or a redirect
    InvalidSwitch = win::ErrorInvalidParameter,        // 87: the usage is shown
    NeedsAdministrator = win::ErrorElevationRequired,  // 740: nothing is changed
    AtRestart = win::ErrorSuccessRebootRequired,       // 3010: done, in effect from the next start of Windows
};

// A failed action's code: its Windows error, never one that reads as success.
constexpr ExitCode FailedWith(std::uint32_t windowsError) {
    return static_cast<ExitCode>(windowsError ? windowsError : win::ErrorInternalError);
}

// How bad a code is for the script that reads it: a failure, then a change that waits for the
// restart, then a finding, then nothing to tell.
constexpr int Severity(ExitCode code) {
    switch (code) {
        case ExitCode::Done:
            return 0;
        case ExitCode::Found:
            return 1;
        case ExitCode::AtRestart:
            return 2;
        default:
            return 3;
    }
}

// The one rule for a run whose steps each end with a code: the worse code stands, so that a step
// that failed is never hidden by a later one that worked or waits for the restart; of two
// failures the earlier stands, the first thing that went wrong (the console says both). A failure
// that stops the run, the hosts file's mostly, is no step: the run ends with its code.
constexpr ExitCode Combined(ExitCode earlier, ExitCode later) {
    return Severity(later) > Severity(earlier) ? later : earlier;
}
