#include "console/Workflow.h"

#include <algorithm>

#include "app/Sha256.h"
#include "console/ConsoleMessages.h"
#include "console/ListTrust.h"
#include "hosts/DnsCache.h"
#include "hosts/EntryKinds.h"
#include "hosts/HostsCopies.h"
#include "hosts/HostsMessages.h"
#include "hosts/StockHosts.h"
#include "lookup/Inspection.h"
#include "lookup/Undo.h"

namespace {

constexpr std::size_t ShownEntries = 10;
constexpr std::size_t ShownCopies = 10;

// Vista and later tell by the token's elevation: an administrator's filtered token is no
// administrator's. XP has no elevation, only the membership.
bool MayChangeWindows(const TokenRights& rights) { return rights.elevated ? *rights.elevated : rights.administrator; }

}  // namespace

std::wstring ErrorWords(Environment& env, std::uint32_t code) { return ErrorSaid(code, env.ErrorText(code)); }

std::wstring FailureWords(Environment& env, const Failure& f) {
    std::wstring subject = f.Subject();
    std::replace(subject.begin(), subject.end(), L'\n', L' ');
    return FailureSaid(ErrorWords(env, f.Code()), subject.empty() ? L"" : Printable(subject));
}

Workflow::Workflow(const Platform& s, const Command& c, const ShareGuard& shares, ConsoleOutput& out, LogFields& log,
    ResultFields& result, RunReport& report)
    : s_(s),
      c_(c),
      shares_(shares),
      out_(out),
      log_(log),
      result_(result),
      report_(report),
      other_(IsOtherInstallation(s, c.windowsDir)),
      store_(s.files, s.processes, s.clock, c.windowsDir.empty()),
      lookup_(report.lookup) {}

ExitCode Workflow::Run() {
    hostsPath_ = log_.hostsPath = HostsPathFor(c_.windowsDir.empty() ? s_.env.WindowsDirectory() : c_.windowsDir);
    out_.Say(HostsFileSaid(Printable(hostsPath_)));
    for (const std::wstring* path : {&c_.allow, &c_.restoreFrom, &c_.log}) shares_.Check(*path);
    // Without administrator rights a change would be refused half-way, or on Vista and later,
    // for a program without a manifest, made in a per-user copy that Windows never reads.
    if (c_.action != Command::Check && !MayChangeWindows(s_.processes.Rights())) {
        Result(AdministratorNeeded);
        return ExitCode::NeedsAdministrator;
    }
    if (!c_.windowsDir.empty()) RequireWindowsFolder(s_.files, c_.windowsDir);
    if (!c_.allow.empty()) ReadAllowList();
    if (c_.action == Command::Restore) return Restore();
    const RegistryLook look = LookAtRegistry();
    TellOtherPlaces();
    const ExitCode hosts = c_.action == Command::Check ? Check(look.redirect) : Repair();
    return Combined(look.reset, hosts);
}

void Workflow::Result(const std::wstring& line) {
    log_.AddResult(line);
    out_.Say(line);
}

std::wstring Workflow::Failed(std::uint32_t code) {
    const std::wstring words = ::ErrorWords(s_.env, code);
    report_.errors.push_back({code, words});
    return words;
}

std::wstring Workflow::Failed(const Failure& f) {
    const std::wstring words = ::FailureWords(s_.env, f);
    report_.errors.push_back({f.Code(), words});
    return words;
}

// The lookup path's API (Inspect, WindowsRegistry, the report's findings and their undo) is used
// in the four functions that follow, and nowhere else.

// Where Windows reads hosts from, and for a repair the default put back there: in the registry
// of the installation the run works on, another's loaded for this alone. Then the other places.
Workflow::RegistryLook Workflow::LookAtRegistry() {
    RegistryLook look;
    Inspection found = Inspect(s_, c_.windowsDir, hostsPath_, [&](WindowsRegistry& registry, const Redirect& redirect) {
        out_.Say(RedirectSaid(redirect.shown));
        if (c_.action == Command::Repair) look.reset = PutDefaultFolderBack(registry, redirect.shown);
    });
    if (found.registryUnread) out_.Say(RedirectUnchecked(Failed(*found.registryUnread)));
    else result_.redirected = found.redirect.has_value();
    if (found.notUnloaded) out_.Say(RegistryNotUnloaded(Failed(*found.notUnloaded)));
    lookup_ = std::move(found.lookup);
    result_.other = OtherField(lookup_);
    look.redirect = found.redirect;
    return look;
}

// A value malware keeps from being written (by its permissions, say) must not cost the hosts
// file its repair: the run goes on, and ends with the error.
ExitCode Workflow::PutDefaultFolderBack(WindowsRegistry& registry, const std::wstring& shown) {
    try {
        registry.ResetHostsRedirect();
    } catch (const Failure& f) {
        Result(RedirectNotPutBack(Failed(f)));
        return FailedWith(f.Code());
    }
    result_.changed = Changed::Yes;
    Result(RedirectPutBack(shown));
    return ExitCode::AtRestart;
}

// The other places that send a site elsewhere, a line each; a repair switches off a proxy on
// this computer.
void Workflow::TellOtherPlaces() {
    for (const std::wstring& note : lookup_.notes) out_.Say(note);
    for (const Finding& finding : lookup_.findings) out_.Say(Words(finding));
    if (c_.action == Command::Repair && AnyUndo(lookup_.findings)) SwitchOffProxies();
}

// Their old values kept first. What could not be switched off (one user's key locked against
// the run, say) is said and logged, and the exit code stays the hosts file's: a fleet's script
// reads from it whether hosts was repaired, and from the RESULT line's fields what else is left.
void Workflow::SwitchOffProxies() {
    const Undone undone = UndoFindings(s_, lookup_.findings, hostsPath_);
    report_.undone = undone.each;
    report_.regFile = undone.regFile;
    report_.profileCopies = undone.copies;
    if (undone.done) result_.changed = Changed::Yes;
    if (undone.failure) return Result(ProxiesLeftOn(Failed(*undone.failure)));
    Result(ProxiesOff(undone.done, undone.total, undone.earlier, undone.regFile));
    for (const std::wstring& copy : undone.copies) Result(FirefoxFileKept(copy));
    for (const Failure& f : undone.notUndone) Result(ProxyLeftOn(Failed(f)));
    if (undone.browsersRestart) Result(BrowsersWhenStarted);
    if (undone.notTold) Result(BrowsersNotTold(Failed(*undone.notTold)));
}

ExitCode Workflow::Check(const std::optional<Redirect>& redirect) {
    result_.hosts = Scan(hostsPath_);
    ListCopies();
    if (redirect && !redirect->folder.empty()) {
        const std::wstring read = redirect->folder + L"\\hosts";
        out_.Say(FileWindowsReads(Printable(read)));
        Scan(read, false);
    } else if (redirect) {
        out_.Say(other_ ? OtherWindowsDrives : NoLocalFolder);
    }
    Result(result_.hosts == HostsState::Missing ? HostsMissing
           : result_.hosts == HostsState::Clean ? HostsClean
                                                : HostsModified);
    if (redirect) Result(HostsRedirected);
    return result_.hosts == HostsState::Modified || redirect ? ExitCode::Found : ExitCode::Done;
}

// A repair changes only what needs it: a clean file stays as it is, with no copy.
ExitCode Workflow::Repair() {
    result_.hosts = ScanToReplace();
    if (result_.hosts == HostsState::Modified || result_.hosts == HostsState::Unchecked) return Replace();
    Result(HostsUnchanged);
    return ExitCode::Done;
}

ExitCode Workflow::Restore() {
    restoreFrom_ = RestoreSource();
    result_.hosts = ScanToReplace();
    return Replace();
}

// Reads the file whole and says what it holds: the hosts file itself, or (not `hostsFile`)
// the one in the folder DataBasePath names, with the run's ordinary rights.
HostsState Workflow::Scan(const std::wstring& path, bool hostsFile) {
    HostsScan scan(ShownEntries, 0, allowed_ ? &*allowed_ : nullptr);
    if (c_.json) scan.recordsPerKind = ReportedEntriesPerKind;
    std::string head;  // enough to tell a stock file
    const auto take = [&](std::string_view chunk) {
        scan.Add(chunk);
        head.append(chunk.substr(0, LongestStockFile + 1 - std::min(LongestStockFile + 1, head.size())));
    };
    const bool exists = hostsFile ? store_.ReadHostsBytes(path, take) : s_.files.ReadOrdinaryFile(path, take);
    scan.Finish();
    if (hostsFile) log_.entries = scan.entries;  // none in a missing file
    (hostsFile ? report_.hosts : report_.redirected) =
        FileReport{path, exists, scan.entries, scan.tally, std::move(scan.records)};
    if (!exists) {
        out_.Say(NoSuchFile);
        return HostsState::Missing;
    }
    out_.Say(LineFeedsSaid(scan.lineFeeds, StockVersionOf(head)));
    out_.Say(EntriesSaid(scan.entries));
    for (const std::wstring& line : EntrySummary(scan.tally, s_.cp)) out_.Say(line);
    if (allowed_) out_.Say(AllowedLinesSaid(scan.allowedLines));
    for (const std::string& line : scan.listed) out_.Say(ListedLine(Printable(s_.cp.ToWide(line))));
    return scan.entries ? HostsState::Modified : HostsState::Clean;
}

// A repair and a restore go on when the file cannot be read: what keeps it from being read
// may well be what blocks the sites.
HostsState Workflow::ScanToReplace() {
    try {
        return Scan(hostsPath_);
    } catch (const Failure& f) {
        out_.Say(FileNotRead(Failed(f.Code())));
        return HostsState::Unchecked;
    }
}

// The copies beside hosts that /restore: takes by their bare names.
void Workflow::ListCopies() {
    const std::vector<FoundFile> copies = HostsCopies(s_.files, hostsPath_);
    if (copies.empty()) return;
    out_.Say(CopiesSaid(copies.size()));
    for (std::size_t i = 0; i < std::min(copies.size(), ShownCopies); ++i)
        out_.Say(CopySaid(Printable(copies[i].name), copies[i].size));
    if (copies.size() > ShownCopies) out_.Say(MoreCopies(copies.size() - ShownCopies));
}

// The repair and the restore: the new content safely in place, then the DNS cache cleared;
// or, while another program keeps holding the file, at the next start of Windows.
ExitCode Workflow::Replace() {
    const HostsChange change = PutNewContent();
    if (!change.copy.empty()) log_.backup = change.copy;
    const std::wstring with = c_.action == Command::Restore ? WithFile(Printable(restoreFrom_))
                              : allowed_                    ? WithStockAndList
                                                            : WithStock;
    if (change.state == HostsChange::Pending) {
        result_.changed = Changed::Pending;
        Result(ReplaceWaitsAlready(change.newFile, change.copyAtRestart ? std::optional(change.copy) : std::nullopt));
        return ExitCode::AtRestart;
    }
    TellOldFile(change);
    if (change.state == HostsChange::AtRestart) {
        result_.changed = Changed::Pending;
        Result(ReplacedAtRestart(with, change.newFile));
        return ExitCode::AtRestart;
    }
    result_.changed = Changed::Yes;
    Result(Replaced(with));
    ClearDnsCache();
    return ExitCode::Done;
}

// What keeps the old file from being replaced now, if anything, and where its bytes are kept.
void Workflow::TellOldFile(const HostsChange& change) {
    if (change.state == HostsChange::AtRestart) out_.Say(HostsHeldBy(HolderNames(change.holders)));
    out_.Say(change.copyAtRestart  ? CopyAtRestart(change.copy)
             : change.copy.empty() ? std::wstring(NoCopyNeeded)
                                   : CopyMade(change.copy));
}

HostsChange Workflow::PutNewContent() {
    try {
        return store_.PutHosts(hostsPath_, [this](HostsStore& store) {
            if (c_.action == Command::Repair) store.WriteStockHosts(AllowedLines());
            else store.WriteHostsFrom(restoreFrom_);
        });
    } catch (const Failure&) {
        if (store_.Replaced()) result_.changed = Changed::Yes;  // a registry value put back stays changed too
        throw;
    }
}

// The running Windows' cache only: another installation's has nothing of this one's.
void Workflow::ClearDnsCache() {
    if (other_) {
        out_.Say(NoFlushForOther);
        return;
    }
    const std::uint32_t flush = FlushDnsCache(s_);
    Result(FlushSaid(flush ? std::optional(Failed(flush)) : std::nullopt));
}

// A bare file name is first looked for beside hosts, where the copies are.
std::wstring Workflow::RestoreSource() const {
    const std::wstring& given = c_.restoreFrom;
    if (given.find_first_of(L"\\/:") != given.npos) return given;
    const std::wstring beside = hostsPath_.substr(0, hostsPath_.rfind(L'\\') + 1) + given;
    return s_.files.Attributes(beside) ? beside : given;
}

// The company's list, read whole before anything changes: without it a repair would wipe what
// the company needs. A list of nothing is a mistake, not a wish to keep nothing.
void Workflow::ReadAllowList() {
    // A pinned hash proves the bytes themselves, whoever may write them.
    if (c_.allowSha256.empty()) RequireOnlyAdministratorsMayChange(s_.files, c_.allow);
    std::string bytes;
    Sha256 hash;
    const bool exists = s_.files.ReadOrdinaryFile(c_.allow, [&](std::string_view chunk) {
        if (bytes.size() + chunk.size() > ViewCap) throw Failure(win::ErrorFileTooLarge, c_.allow);
        bytes += chunk;
        hash.Add(chunk);
    });
    if (!exists) throw Failure(win::ErrorFileNotFound, c_.allow);
    if (const std::string actual = hash.Hex(); !c_.allowSha256.empty() && actual != c_.allowSha256)
        throw Failure(win::ErrorInvalidData, c_.allow + L"\n" + ListHashDiffers(actual));
    allowed_.emplace(bytes);
    if (allowed_->lines.empty()) throw Failure(win::ErrorInvalidParameter, c_.allow + L"\n" + AllowListEmpty);
    out_.Say(AllowListRead(Printable(c_.allow), allowed_->lines.size()));
}

std::string Workflow::AllowedLines() const {
    std::string lines;
    if (allowed_)
        for (const std::string& line : allowed_->lines) lines += line + "\r\n";
    return lines;
}
