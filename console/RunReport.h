#pragma once
// What a run found and did, for machines: /json's one object, gathered beside what the run says;
// what the log has too (the action, the hosts file, the results, the copy) is taken from the log.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Codepage.h"
#include "console/ResultLine.h"
#include "console/RunLog.h"
#include "hosts/HostsText.h"
#include "lookup/Finding.h"

// Of each kind, this many entries are listed by line, enough for any real infection, while a
// block list of a hundred thousand names stays a report of a few hundred kilobytes.
inline constexpr std::size_t ReportedEntriesPerKind = 1000;

// A hosts file as it was read; nothing in it when it does not exist.
struct FileReport {
    std::wstring path;
    bool exists = false;
    std::size_t entries = 0;
    EntryTally tally;
    std::vector<EntryRecord> records;
};

struct RunError {
    std::uint32_t code;  // the Windows error; 0 for none (a log that is a link, say)
    std::wstring words;  // as the console says it
};

struct RunReport {
    std::optional<FileReport> hosts;       // nothing: not read
    std::optional<FileReport> redirected;  // the file in the folder DataBasePath names
    LookupReport lookup;
    std::vector<bool> undone;  // by finding, when a repair switched them off
    std::wstring regFile;      // the registry's old values
    std::vector<std::wstring> profileCopies;
    std::vector<RunError> errors;
};

// The one object, on one line. Texts from the hosts file are in the system's ANSI code page `cp`.
std::wstring JsonReport(
    const RunReport& report, const LogFields& log, const ResultFields& fields, ExitCode code, const Codepage& cp);
