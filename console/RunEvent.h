#pragma once
// The entry that a run with /eventlog leaves in the Application log, for a fleet's tools to
// collect: an event ID for each outcome. app/events.mc gives the same IDs their messages, and
// CMake checks that the two lists agree.
#include <cstdint>
#include <string>

#include "app/Platform.h"
#include "console/ExitCode.h"
#include "console/ResultLine.h"
#include "console/RunLog.h"

enum class RunEvent : std::uint32_t {
    Clean = 1000,     // nothing found, nothing changed
    Found = 1001,     // a check found entries or a redirect
    Repaired = 1002,  // changed, in effect now
    Pending = 1003,   // a change waits for the next start of Windows
    Error = 1004,     // the run failed, or lacked the rights it needed
};

RunEvent EventOf(ExitCode code, Changed changed);
// Information for what needs no one, a warning for what waits for someone, an error for a failure.
EventType TypeOf(RunEvent event);

// Reports the run's entry: its RESULT line, then what it counted, a line each. Returns what the
// console says of it: why it was not written, or why the source is not registered; else nothing.
std::wstring ReportRun(
    const Platform& s, ExitCode code, Changed changed, const std::wstring& resultLine, const LogFields& log);
