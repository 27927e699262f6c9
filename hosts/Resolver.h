#pragma once
// How Windows resolves names through the hosts file: the folder it reads the file from, which
// malware can move elsewhere, and the answers its DNS client keeps from the old entries.
#include <cstdint>
#include <optional>
#include <string>

#include "app/Platform.h"

// Under a control set (CurrentControlSet, or ControlSet001...).
inline constexpr wchar_t TcpipParameters[] = L"Services\\Tcpip\\Parameters";
inline constexpr wchar_t MachineEnvironment[] = L"Control\\Session Manager\\Environment";
inline constexpr wchar_t DataBasePath[] = L"DataBasePath";
inline constexpr wchar_t DefaultHostsFolder[] = L"%SystemRoot%\\System32\\drivers\\etc";

// Where Windows reads hosts from when that is not its default folder.
struct Redirect {
    std::wstring shown;   // the value, printable and cut to a few hundred characters; or why it is unreadable
    std::wstring folder;  // the folder it names, variables expanded; empty unless a local one (X:\...)
};

// Whether /windir: names an installation other than the running one: not empty, and not the
// running Windows' own folder (letter case and a trailing backslash aside). Its registry and
// its DNS cache are not this computer's.
bool IsOtherInstallation(const Platform& s, const std::wstring& windowsDir);

// The registry of the Windows a run works on, where it keeps DataBasePath: the running one's
// own, at its CurrentControlSet; or another installation's, whose System32\config\SYSTEM is
// loaded while this lives, at the control set that it starts with (Select\Current).
class WindowsRegistry {
public:
    // windowsDir: /windir:, or empty. Another installation's registry that cannot be loaded, or
    // names no control set that it holds, is a Failure naming what could not be read: never a
    // guess at another control set.
    WindowsRegistry(const Platform& s, const std::wstring& windowsDir);

    // DataBasePath, compared with the installation's own folder (letter case, a trailing
    // backslash and variables aside). Nothing when it is the default or missing, which is
    // Windows' default too. A value that cannot be read, of another type or too long to be a
    // folder counts as moved: malware must not switch the check off by making it unreadable.
    // Another installation's folder is never one to read: its drive letters are not this Windows'.
    std::optional<Redirect> HostsRedirect();
    // Puts the default back, as REG_EXPAND_SZ.
    void ResetHostsRedirect();
    // Unloads another installation's registry, every key of it closed by now; a failure is told.
    // (The end of this object unloads it too, whatever ended its use, then untold.)
    void Unload();

private:
    std::unique_ptr<RegistryKey> Open(const wchar_t* path, std::uint32_t access);
    std::optional<std::wstring> MachineVariable(const std::wstring& name);
    std::wstring Expanded(const std::wstring& text);

    Platform s_;
    std::wstring windowsDir_;           // %SystemRoot% there
    std::unique_ptr<LoadedHive> hive_;  // another installation's registry
    std::wstring controlSet_;           // under HKLM, or in the hive
    std::wstring place_;                // the control set as failures name it
};

// Clears the DNS client's cache: ipconfig /flushdns from the system folder, without a window,
// waited for 30 s at most. Returns 0, or the Windows error (the tool's exit code when it ran
// and failed). Never throws: a failed flush does not undo a repair, and the restart the
// messages advise clears the cache too.
std::uint32_t FlushDnsCache(const Platform& s);
