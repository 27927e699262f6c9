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

// The DataBasePath value as it stands when it names a folder other than Windows' default
// (letter case, a trailing backslash and the expanded form of the default aside); nothing when
// it is the default or missing, which is Windows' default too.
std::optional<std::wstring> HostsRedirect(const Platform& s);
// Puts the default back, as REG_EXPAND_SZ.
void ResetHostsRedirect(const Platform& s);

// Clears the DNS client's cache: ipconfig /flushdns from the system folder, without a window,
// waited for 30 s at most. Returns 0, or the Windows error (the tool's exit code when it ran
// and failed). Never throws: a failed flush does not undo a repair, and the restart the
// messages advise clears the cache too.
std::uint32_t FlushDnsCache(const Platform& s);
