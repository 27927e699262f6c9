#pragma once
// The hosts file: where it lives, how it is read, and how the stock content takes its place.
//
// A repair never leaves a partial hosts file, nor a file of its own beside it. The new content
// goes to a file whose name is this run's own; only once it is complete on the disk is the
// hosts file checked, copied, freed of its protecting attributes and replaced by it, in one
// step. Until that step the hosts file keeps its bytes and its attributes, and any failure on
// the way puts back what the repair changed and removes the new file; a complete copy of the
// old file stays, whatever happens. A file that another program holds for a moment (a virus
// scanner, an indexer) is tried again for about two seconds before that counts as a failure.
// One that a program keeps holding is replaced at the next start of Windows, before any program
// runs: the new file then stays beside it, and Windows is told to move it there.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/Platform.h"

// What became of the new content.
struct HostsChange {
    enum State {
        Replaced,   // it is in the hosts file's place
        AtRestart,  // Windows puts it there at its next start, as this run has asked
        Pending,    // an earlier run asked that already: this one changed nothing
    };
    State state = Replaced;
    // The old file's copy: made now, an earlier one with the same bytes, or, when `copyAtRestart`,
    // the name the old file itself takes at the next start. Empty when none was needed.
    std::wstring copy;
    bool copyAtRestart = false;
    std::wstring newFile;             // what takes the hosts file's place at the next start
    std::vector<FileHolder> holders;  // the programs holding hosts, where Windows can tell
};

// About two seconds for a program that holds a file for a moment to let it go.
inline constexpr int HeldAttempts = 20;
inline constexpr unsigned HeldPauseMs = 100;
// A sharing or lock violation: another program has the file open.
inline bool HeldByAnother(const Failure& f) {
    return f.Code() == win::ErrorSharingViolation || f.Code() == win::ErrorLockViolation;
}

inline constexpr std::wstring_view HostsSuffix = L"\\System32\\drivers\\etc\\hosts";

// Plain concatenation: no separator added or removed, nothing validated.
std::wstring HostsPathFor(std::wstring_view windowsDir);

class HostsStore {
public:
    // runningWindows: the hosts file is the running Windows' own, so that a replace can wait for
    // its next start; another installation's (/windir:) cannot, and a file held there fails.
    HostsStore(FileSystem& fs, Processes& processes, Clock& clock, bool runningWindows)
        : fs_(fs), processes_(processes), clock_(clock), mayWait_(runningWindows) {}
    HostsStore(const HostsStore&) = delete;
    ~HostsStore();

    // Hands the whole file to `chunk` piece by piece; false when it does not exist. A file held
    // for a moment is tried again.
    bool ReadHostsBytes(const std::wstring& path, const std::function<void(std::string_view)>& chunk);

    // A replace of the hosts file that an earlier run left waiting for the next start of Windows,
    // its new file still there: another run must neither copy nor schedule another move.
    std::optional<HostsChange> PendingChange(const std::wstring& path);

    // Opens a new file of this run's own beside `path` for the new content.
    void OpenHostsForOutput(const std::wstring& path);
    // The stock file, followed by `after` (a company's own lines).
    void WriteStockHosts(std::string_view after = {});
    // The bytes of another file, a copy of an earlier hosts file, say, as the new content.
    void WriteHostsFrom(const std::wstring& source);
    // The new content takes the hosts file's place now, or at the next start of Windows when
    // another program keeps holding the file (see above). A failure is reported with the hosts
    // file's path and the word that it was left as it was, or, when the replace took effect
    // although the system reported a failure, that it was replaced. Harmless when nothing is open.
    HostsChange CloseHosts();
    // Whether the last CloseHosts put the new content in place, a failure reported or not.
    bool Replaced() const { return replaced_; }
    // The whole replace, as every front end makes it: the new content written by `write` into a
    // file of this run's own, then in the hosts file's place (CloseHosts); unless a replace that
    // an earlier run left waits for the next start of Windows: it is taken as it is when its new
    // file holds the same bytes, and otherwise brings this run's (see TakeOver).
    HostsChange PutHosts(const std::wstring& path, const std::function<void(HostsStore&)>& write);

    // Keeps the file's current bytes as "hosts.yyyyMMdd-HHmmss.bak" beside it, copied piece by
    // piece, never overwriting an earlier copy; a missing or stock file needs no copy, and an
    // earlier copy with the same bytes is named instead of making another. Returns the copy's
    // path, or nothing.
    std::wstring BackupHosts(const std::wstring& path, const LocalTime& now);

private:
    struct Rollback;
    // Runs `step` again while another program holds the file for a moment.
    template <class Step>
    auto Retried(Step&& step, int attempts) -> decltype(step());
    // Runs a step of the replace (see Retried). True when it went through; false when the file
    // stays held and its replace may wait for the next start, after which each step is tried once.
    bool Through(const std::function<void()>& step);
    bool Held(const Failure& f);
    void ScheduleAtRestart(HostsChange& change, bool copied, Rollback& rollback);
    // Whether the new file is still where this run put it, or the replace has taken it.
    bool NewFileStays();
    // Closes and removes the new file, if one is open.
    void Discard();
    Failure LeftAsItWas(const Failure& f) const;
    // In another installation, refuses a link along `path` (RefuseLinks) before each privileged call.
    void Checked(const std::wstring& path);
    std::optional<std::wstring> EarlierCopy(const std::wstring& path);
    std::wstring NewCopy(const std::wstring& path, const LocalTime& now);
    HostsChange TakeOver(HostsChange pending);

    FileSystem& fs_;
    Processes& processes_;
    Clock& clock_;
    bool mayWait_;
    std::unique_ptr<OutputFile> out_;
    std::wstring newPath_, hostsPath_;
    bool replaced_ = false, held_ = false;
};
