#pragma once
// The check, the repair and the restore of the command line: each step said on the console, its
// results kept for the log, the RESULT line's fields filled in as the run finds them out.
#include <cstdint>
#include <optional>
#include <string>

#include "app/Platform.h"
#include "console/CommandLine.h"
#include "console/ConsoleOutput.h"
#include "console/ExitCode.h"
#include "console/ResultLine.h"
#include "console/RunLog.h"
#include "console/RunReport.h"
#include "console/Shares.h"
#include "hosts/HostsStore.h"
#include "hosts/HostsText.h"
#include "lookup/LookupPath.h"
#include "lookup/WindowsRegistry.h"

// A Windows error as the console says it; and with what it was about, on one line.
std::wstring ErrorWords(Environment& env, std::uint32_t code);
std::wstring FailureWords(Environment& env, const Failure& f);

class Workflow {
public:
    Workflow(const Platform& s, const Command& c, const ShareGuard& shares, ConsoleOutput& out, LogFields& log,
        ResultFields& result, RunReport& report);

    // The command's action: its exit code; or it throws the failure that stops it.
    ExitCode Run();

private:
    struct RegistryLook {
        std::optional<Redirect> redirect;  // DataBasePath names another folder
        ExitCode reset = ExitCode::Done;   // of a repair's putting the default back
    };

    RegistryLook LookAtRegistry();
    ExitCode PutDefaultFolderBack(WindowsRegistry& registry, const std::wstring& shown);
    void TellOtherPlaces();
    void SwitchOffProxies();

    ExitCode Check(const std::optional<Redirect>& redirect);
    ExitCode Repair();
    ExitCode Restore();
    HostsState Scan(const std::wstring& path, bool hostsFile = true);
    HostsState ScanToReplace();
    void ListCopies();
    ExitCode Replace();
    HostsChange PutNewContent();
    void TellOldFile(const HostsChange& change);
    void ClearDnsCache();
    std::wstring RestoreSource() const;
    void ReadAllowList();
    std::string AllowedLines() const;

    void Result(const std::wstring& line);  // said, and kept for the log and the report
    // A failure's words, the failure kept for the report.
    std::wstring Failed(std::uint32_t code);
    std::wstring Failed(const Failure& f);

    const Platform& s_;
    const Command& c_;
    const ShareGuard& shares_;
    ConsoleOutput& out_;
    LogFields& log_;
    ResultFields& result_;
    RunReport& report_;
    const bool other_;  // /windir: names another installation
    HostsStore store_;
    std::wstring hostsPath_;
    LookupReport& lookup_;              // the rest of the lookup path, as the report has it
    std::wstring restoreFrom_;          // /restore:'s file, found
    std::optional<AllowList> allowed_;  // /allow:'s list
};
