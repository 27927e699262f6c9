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
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/Platform.h"

inline constexpr std::wstring_view HostsSuffix = L"\\System32\\drivers\\etc\\hosts";

// Plain concatenation: no separator added or removed, nothing validated.
std::wstring HostsPathFor(std::wstring_view windowsDir);

class HostsStore {
public:
    HostsStore(FileSystem& fs, Processes& processes, Clock& clock) : fs_(fs), processes_(processes), clock_(clock) {}
    HostsStore(const HostsStore&) = delete;
    ~HostsStore();

    // Hands the whole file to `chunk` piece by piece; false when it does not exist.
    bool ReadHostsBytes(const std::wstring& path, const std::function<void(std::string_view)>& chunk);

    // Opens a new file of this run's own beside `path` for the new content.
    void OpenHostsForOutput(const std::wstring& path);
    void WriteStockHosts();
    // The bytes of another file, a copy of an earlier hosts file, say, as the new content.
    void WriteHostsFrom(const std::wstring& source);
    // The new content takes the hosts file's place now (see above); returns the path of the
    // copy of the old file, empty when none was needed. A failure is reported with the hosts
    // file's path and the word that it was left as it was, or, when the replace took effect
    // although the system reported a failure, that it was replaced. Harmless when nothing is open.
    std::wstring CloseHosts();
    // Whether the last CloseHosts put the new content in place, a failure reported or not.
    bool Replaced() const { return replaced_; }

    // Keeps the file's current bytes as "hosts.yyyyMMdd-HHmmss.bak" beside it, copied piece by
    // piece, never overwriting an earlier copy; a missing or stock file needs no copy. Returns
    // the copy's path, or nothing.
    std::wstring BackupHosts(const std::wstring& path, const LocalTime& now);

private:
    // Runs `step` again while another program holds the file for a moment.
    template <class Step>
    auto Retried(Step&& step) -> decltype(step());
    // Whether the new file is still where this run put it, or the replace has taken it.
    bool NewFileStays();
    // Closes and removes the new file, if one is open.
    void Discard();
    // In a handler: discards, then reports a Failure as the hosts file's, left as it was;
    // anything else goes on as it is.
    [[noreturn]] void Abandon();

    FileSystem& fs_;
    Processes& processes_;
    Clock& clock_;
    std::unique_ptr<OutputFile> out_;
    std::wstring newPath_, hostsPath_;
    bool replaced_ = false;
};
