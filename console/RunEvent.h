#pragma once
// The entry that a run with /eventlog leaves in the Application log, for a fleet's tools to
// collect: an event ID for each outcome. app/events.mc gives the same IDs their messages.
#include <cstdint>

#include "app/Platform.h"
#include "console/ConsoleOutput.h"
#include "console/ExitCode.h"
#include "console/ResultLine.h"
#include "console/RunLog.h"
#include "console/RunReport.h"

enum class EventId : std::uint32_t {
    Clean = 1000,     // nothing found, nothing changed
    Found = 1001,     // a check found entries or a redirect
    Repaired = 1002,  // changed, in effect now
    Pending = 1003,   // a change waits for the next start of Windows
    Error = 1004,     // the run failed, or lacked the rights it needed
};

struct RunEvent {
    EventId id;
    std::uint16_t type;  // win::Event*: information for what needs no one, a warning for what waits
                         // for someone, an error for a failure
};

RunEvent EventOf(const ResultFields& fields, ExitCode code);

// Writes the run's entry: its RESULT line, then the hosts file's entries and the other places'
// findings. Says on `out`, and adds to the report's errors, why it was not written, or why its
// source is not registered.
void ReportRun(const Platform& s, ConsoleOutput& out, RunReport& report, const ResultFields& fields, ExitCode code,
    const LogFields& log);
