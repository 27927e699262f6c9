#pragma once
// How Windows resolves names through the hosts file: the folder it reads the file from, which
// malware can move elsewhere, and the answers its DNS client keeps from the old entries.
#include <cstdint>
#include <optional>
#include <string>

#include "app/Platform.h"

inline constexpr wchar_t TcpipParameters[] = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
inline constexpr wchar_t DataBasePath[] = L"DataBasePath";
inline constexpr wchar_t DefaultHostsFolder[] = L"%SystemRoot%\\System32\\drivers\\etc";
inline constexpr wchar_t MachineEnvironment[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

// Where Windows reads hosts from when that is not its default folder.
struct Redirect {
    std::wstring shown;   // the value, printable and cut to a few hundred characters; or why it is unreadable
    std::wstring folder;  // the folder it names, variables expanded; empty unless a local one (X:\...)
};

// DataBasePath, compared with the running Windows' own folder (letter case, a trailing backslash
// and variables aside). Nothing when it is the default or missing, which is Windows' default
// too. A value that cannot be read, of another type or too long to be a folder counts as moved:
// malware must not switch the check off by making it unreadable.
std::optional<Redirect> HostsRedirect(const Platform& s);
// Puts the default back, as REG_EXPAND_SZ.
void ResetHostsRedirect(const Platform& s);

// Clears the DNS client's cache: ipconfig /flushdns from the system folder, without a window,
// waited for 30 s at most. Returns 0, or the Windows error (the tool's exit code when it ran
// and failed). Never throws: a failed flush does not undo a repair, and the restart the
// messages advise clears the cache too.
std::uint32_t FlushDnsCache(const Platform& s);
