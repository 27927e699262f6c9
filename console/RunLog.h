#pragma once
// The run's line in the log that /log: names: a line a run, appended, for a fleet's share.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Platform.h"
#include "console/ExitCode.h"

// What the run tells the log, gathered as it goes.
struct LogFields {
    std::wstring_view action;              // check, repair or restore
    std::wstring hostsPath;                // empty: not worked out
    std::optional<std::uint64_t> entries;  // of the hosts file; nothing: not read
    std::vector<std::wstring> results;     // what came of the run, each result as said
    std::wstring outputLost;               // the note of a console that stopped taking lines; empty: none
    std::wstring backup;                   // the copy of the old file; empty: none

    void AddResult(const std::wstring& line) { results.push_back(line); }
};

// Tab-separated fields, none of which holds a tab or a line break: the time with its offset from
// UTC, the computer, the program's version, the action, the hosts file ("-": none), its entries
// ("-": not read), the exit code, the results, the copy of the old file ("-": none); then CR LF.
std::wstring LogLine(const LogFields& fields, const LocalTime& time, const std::wstring& computer, ExitCode code);

// Why the run's line was not written: the Windows error said, or why the file is no log's (`code` 0).
struct NotLogged {
    std::uint32_t code;
    std::wstring why;
};

// Appends the run's line, in UTF-8, to the log at `path`.
std::optional<NotLogged> AppendToLog(
    const Platform& s, const std::wstring& path, const LogFields& fields, ExitCode code);
