#pragma once
// The paths of a run on another computer (\\server\share\...: a company's list, a log, a file to
// restore) are reached by name, and so through the hosts file that the run is there to repair:
// a line of malware's there would hand the SYSTEM run a list of its own, or its sign-in. A path
// on a server that the running Windows' hosts file maps is refused before anything changes.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Platform.h"

// The server of a path on another computer, \\server\... or \\?\UNC\server\... (either slash);
// empty for any other path, a device's (\\.\...) or a drive's under \\?\ among them.
std::wstring ServerOf(std::wstring_view path);

class ShareGuard {
public:
    // Reads the hosts files that the running Windows reads (its own, and the folder DataBasePath
    // names instead, if any) when one of `paths` is on a server; reads nothing otherwise.
    ShareGuard(const Platform& s, const std::vector<std::wstring>& paths);

    // Why `path` must not be opened: its server is mapped, or a hosts file that could map it was
    // not read; nothing for a path on no server, or on one that no line maps.
    std::optional<std::wstring> Refusal(const std::wstring& path) const;
    // Throws ERROR_NETWORK_ACCESS_DENIED, naming the path and the refusal, if there is one.
    void Check(const std::wstring& path) const;

private:
    void Read(const Platform& s, const std::wstring& hostsFile, const std::vector<std::wstring>& servers, bool own);

    std::map<std::wstring, std::wstring> mapped_;  // a server, in small letters: the line that maps it
    std::optional<std::wstring> unread_;           // why a hosts file could not be read
};
