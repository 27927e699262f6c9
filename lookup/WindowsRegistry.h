#pragma once
// The registry of the Windows a run works on: the running one's, or another installation's
// loaded from its files; where it keeps the hosts file's folder (DataBasePath), which malware can
// move elsewhere; and the keys of the running one, as its 64-bit services see them.
#include <cstdint>
#include <memory>
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

// Text from the registry as a message or a line shows it: printable, and cut to a few hundred
// characters, never inside a surrogate pair.
std::wstring Cut(const std::wstring& text);

// A key of the running Windows' registry, under a root (win::HKey*); or of a signed-out user's
// registry file, `file`, which holds `path` past its first part (the user's SID under HKU).
struct KeyPlace {
    std::int32_t root;
    std::wstring path;
    std::wstring file = {};
};
// A user's key as their registry file holds it: the path past the SID.
inline std::wstring InUserFile(const std::wstring& path) { return path.substr(path.find(L'\\') + 1); }
// As regedit names it: HKEY_CURRENT_USER\..., HKEY_USERS\S-1-5-21-...\..., HKEY_LOCAL_MACHINE\...
std::wstring KeyName(const KeyPlace& place);
// Opens it in its native view: 64-bit Windows' services read HKLM\SOFTWARE there, not in the copy
// that WOW64 shows this 32-bit program. Nothing when it does not exist.
std::unique_ptr<RegistryKey> OpenPlace(Registry& registry, const KeyPlace& place, std::uint32_t access);

// A registry file loaded with `access`: privately where Windows can (Vista and later), else, or
// where it refuses, under HKLM. One that is not there is a Failure (ERROR_FILE_NOT_FOUND), never
// made; a link at its name, or a file with a second name, is never loaded (ERROR_CANT_ACCESS_FILE):
// the file loaded would be another than the one checked.
std::unique_ptr<LoadedHive> LoadRegistryFile(const Platform& s, const std::wstring& file, std::uint32_t access);

// Whether /windir: names an installation other than the running one: not empty, and not the
// running Windows' own folder (letter case and a trailing backslash aside). Its registry and
// its DNS cache are not this computer's.
bool IsOtherInstallation(const Platform& s, const std::wstring& windowsDir);

// Another installation's Windows folder (/windir:) is one when it holds a System32 folder: else
// a mistyped drive letter would read as an installation without a hosts file, which is clean.
// Throws ERROR_PATH_NOT_FOUND otherwise, naming the folder; changes nothing.
void RequireWindowsFolder(FileSystem& files, const std::wstring& windowsDir);

// The registry of the Windows a run works on, where it keeps DataBasePath: the running one's
// own, at its CurrentControlSet; or another installation's, whose System32\config\SYSTEM is
// loaded to be read while this lives or until Unload, at the control set that it starts with
// (Select\Current). It is loaded privately where Windows can (Vista and later), else under HKLM,
// and only to be read: the reset alone loads it again to write, for that write alone.
class WindowsRegistry {
public:
    // windowsDir: /windir:, or empty. Another installation's registry that cannot be loaded, or
    // names no control set that it holds, is a Failure naming what could not be read: never a
    // guess at another control set. A link at its file's name, or a file with a second name, is
    // never loaded: the file loaded would be another than the one checked.
    WindowsRegistry(const Platform& s, const std::wstring& windowsDir);

    // DataBasePath, compared with the installation's own folder (letter case, a trailing
    // backslash and variables aside). Nothing when it is the default or missing, which is
    // Windows' default too. A value that cannot be read, of another type or too long to be a
    // folder counts as moved: malware must not switch the check off by making it unreadable.
    // Another installation's folder is never one to read: its drive letters are not this Windows'.
    std::optional<Redirect> HostsRedirect();
    // Puts the default back, as REG_EXPAND_SZ; another installation's registry is loaded for the
    // write alone and unloaded before this returns.
    void ResetHostsRedirect();
    // Unloads another installation's registry, every key of it closed by now; a failure is told.
    // (The end of this object unloads it too, whatever ended its use, then untold.) Its keys are
    // not read after this.
    void Unload();

    // A key under the control set (Services\..., Control\...); nothing when it does not exist.
    std::unique_ptr<RegistryKey> Open(const std::wstring& path, std::uint32_t access);
    // Variables as the installation's services expand them (see the .cpp).
    std::wstring Expanded(const std::wstring& text);
    // The installation's Windows folder: the running one's, or the one /windir: names.
    const std::wstring& WindowsFolder() const { return windowsDir_; }

private:
    std::optional<std::wstring> MachineVariable(const std::wstring& name);
    void WriteDefault();

    Platform s_;
    std::wstring windowsDir_;           // %SystemRoot% there
    std::wstring file_;                 // another installation's registry file; empty for the running one's
    std::unique_ptr<LoadedHive> hive_;  // that file, while loaded
    std::wstring controlSet_;           // under HKLM, or in the hive
    std::wstring place_;                // the control set as failures name it
};
