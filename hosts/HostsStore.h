#pragma once
// The hosts file: where it lives, and the one channel through which it is read and written.
//
// A write never leaves a partial hosts file: the new content goes to a file beside it,
// which replaces the hosts file in one step only once it is complete and on the disk.
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/Platform.h"
#include "app/Codepage.h"

inline constexpr std::wstring_view HostsSuffix = L"\\System32\\drivers\\etc\\hosts";

// Plain concatenation: no separator added or removed, nothing validated.
std::wstring HostsPathFor(std::wstring_view windowsDir);

class HostsStore {
public:
    HostsStore(FileSystem& fs, const Codepage& cp) : fs_(fs), cp_(cp) {}

    // The whole file; nothing when it does not exist.
    std::optional<std::string> ReadHostsBytes(const std::wstring& path);

    // Fails here, with the file untouched, when the hosts file cannot be written.
    void OpenHostsForOutput(const std::wstring& path);
    void WriteStockHosts();
    // The new content replaces the hosts file now. Harmless when nothing is open.
    void CloseHosts();

    // A file that is already gone counts as deleted.
    void DeleteHosts(const std::wstring& path);

    // Keeps the file's current bytes as "hosts.yyyyMMdd-HHmmss.bak" beside it, never
    // overwriting an earlier copy; a missing or stock file needs no copy.
    void BackupHosts(const std::wstring& path, const LocalTime& now);

private:
    void WriteOrDiscard(std::string_view bytes);
    void DiscardOutput();

    FileSystem& fs_;
    const Codepage& cp_;
    std::unique_ptr<OutputFile> out_;
    std::wstring newPath_, hostsPath_;
};
