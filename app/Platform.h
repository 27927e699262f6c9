#pragma once
// Everything the program's logic needs from the system, as small interfaces, in one place.
// The real program fills them with the Win32 adapters of app/Win32Platform; the unit tests
// with one recording fake. Every file, process, registry and message operation reports failure
// by throwing Failure; the restart's calls answer as their Win32 namesakes do.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Codepage.h"
#include "app/Failure.h"
#include "app/WinNumbers.h"

class MessageBoxUi {
public:
    virtual ~MessageBoxUi() = default;
    // Modal. An empty title shows the application title.
    virtual Answer MsgBox(std::wstring_view prompt, unsigned style, std::wstring_view title) = 0;
};

// What the running system says of itself. Never an environment variable: the elevated program
// gets the user's environment, which code with only the user's rights can set.
class Environment {
public:
    virtual ~Environment() = default;
    // The running Windows' own folder (GetSystemWindowsDirectory).
    virtual std::wstring WindowsDirectory() = 0;
    // The Windows system folder, where programs are started from by full path, never by search.
    virtual std::wstring SystemDirectory() = 0;
    virtual std::wstring ComputerName() = 0;
    // Whether the computer is joined to a domain, as its join information says.
    virtual bool InDomain() = 0;
    // The current user's roaming application data folder, as the shell keeps it for them.
    virtual std::wstring UserAppData() = 0;
    // The system's own text for a Windows error code.
    virtual std::wstring ErrorText(std::uint32_t code) = 0;
    // The folder through which this process reaches the running Windows' system folder of
    // `bits`-bit programs (32 or 64): WOW64 shows a 32-bit process SysWOW64 in place of the
    // 64-bit System32, which it reaches as Sysnative, and a 64-bit process reaches the 32-bit
    // one as SysWOW64. Empty where this process reaches none (a 32-bit Windows has no 64-bit
    // one; 64-bit XP lacks Sysnative without its update).
    virtual std::wstring SystemFolderOf(int bits) = 0;
};

class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual void Write(std::string_view bytes) = 0;
    // Flushes the content to the disk, then closes the file.
    virtual void Close() = 0;
};

// What an open file is, as its handle tells.
// One entry of a file's or a folder's permissions (its DACL), as Windows keeps it.
struct AccessEntry {
    std::wstring sid;   // S-1-5-...
    std::wstring name;  // DOMAIN\name, or the SID where Windows knows no name for it
    std::uint32_t mask = 0;
    bool allows = true;        // false: it denies
    bool inheritOnly = false;  // it is for what the folder holds, not for the folder
};
// Nothing: no DACL at all, which lets everyone do everything.
using Permissions = std::optional<std::vector<AccessEntry>>;

struct FileFacts {
    std::uint32_t attributes = 0;  // win::FileAttribute*
    std::uint32_t links = 1;       // its names (hard links)
    bool disk = true;              // a file on a disk, not a device, a pipe or a console
};

// A program that holds a file open, as Windows names it: any program can call itself anything.
struct FileHolder {
    std::uint32_t processId;
    std::wstring name;
    std::wstring image = {};  // its program file's full path, where Windows tells it (Vista and later)
};

// A file opened for reading, piece by piece.
class InputFile {
public:
    virtual ~InputFile() = default;
    // The next piece, valid until the next call; empty at the end.
    virtual std::string_view Read() = 0;
};

// A move that Windows makes at its next start; `to` is empty for a deletion.
struct PendingMove {
    std::wstring from, to;
};

// What Windows' Authenticode check (WinVerifyTrust) says of the signature a file carries itself.
struct Signature {
    std::uint32_t status = 0;  // its answer: 0 verified, win::TrustNoSignature none, any other why it does not verify
    std::wstring signer = {};  // the signing certificate's name, where it verified
};

struct FoundFile {
    std::wstring name;  // without its folder
    std::uint64_t size;
};

// The hosts file's own calls (its reading, copying, probing and replacing) run with the backup
// and restore privileges that administrators hold, enabled for the call only, and backup
// semantics: a hosts file whose permissions refuse even administrators is read and replaced all
// the same. Any other file is read or written with the run's ordinary rights (ReadOrdinaryFile, OpenToAppend).
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Hands the file's bytes to `chunk` piece by piece, in order, so that memory stays bounded
    // whatever the file's size; false when the file or its folder does not exist. A regular file
    // on a disk only: a folder, a device or a pipe is refused before anything is read.
    virtual bool ReadChunks(const std::wstring& path, const std::function<void(std::string_view)>& chunk) = 0;
    // The same, pulled piece by piece, so that two files can be compared side by side; nothing
    // when the file does not exist.
    virtual std::unique_ptr<InputFile> OpenToRead(const std::wstring& path) = 0;
    // What stands at `path` itself, opened without following a reparse point (a symbolic link, a
    // junction, a mount point) and with the backup privilege; nothing when it does not exist.
    virtual std::optional<FileFacts> Facts(const std::wstring& path) = 0;
    // The same for a file that is not the hosts file's (a /restore: source, the file in the folder
    // DataBasePath names), with the run's ordinary rights: no privilege reaches it.
    virtual bool ReadOrdinaryFile(const std::wstring& path, const std::function<void(std::string_view)>& chunk) = 0;
    // Opens an existing file for deletion, sharing everything, and closes it unchanged: a file
    // that cannot be replaced (held open without delete sharing, or refused by its permissions)
    // is found before anything is changed. A missing file passes.
    virtual void ProbeReplaceable(const std::wstring& path) = 0;
    // Whether another program holds the file open, whatever it shares: an open for deletion that
    // shares nothing meets a sharing violation. A holder that shares deletion passes the probe
    // above and fails the replace with access denied, as a permission would: this tells them apart.
    virtual bool InUse(const std::wstring& path) = 0;
    // The programs that hold the file open, where Windows can tell (its Restart Manager, Vista
    // and later); none where it cannot.
    virtual std::vector<FileHolder> Holders(const std::wstring& path) = 0;
    // A new file; fails with win::ErrorFileExists when anything stands at `path`, never
    // truncating it or following a link there.
    virtual std::unique_ptr<OutputFile> CreateNew(const std::wstring& path) = 0;
    // Puts `from` in place of `to` in one step, replacing `to` if it exists.
    virtual void Replace(const std::wstring& from, const std::wstring& to) = 0;
    // Has Windows move `from` to `to` at its next start, before any program runs
    // (MoveFileEx with MOVEFILE_DELAY_UNTIL_REBOOT); over an existing `to` only with `replace`.
    virtual void MoveAtRestart(const std::wstring& from, const std::wstring& to, bool replace) = 0;
    // The moves Windows makes at its next start (PendingFileRenameOperations), in order.
    virtual std::vector<PendingMove> PendingMoves() = 0;
    // The files with normal attributes whose names match `pattern` (`*` and `?` in its last part).
    virtual std::vector<FoundFile> Find(const std::wstring& pattern) = 0;
    // False when there was no such file.
    virtual bool Delete(const std::wstring& path) = 0;
    // The file's attributes (win::FileAttribute*); nothing when it does not exist.
    virtual std::optional<std::uint32_t> Attributes(const std::wstring& path) = 0;
    virtual void SetAttributes(const std::wstring& path, std::uint32_t attributes) = 0;
    // Opens the file to add to its end, creating it if need be, with the run's ordinary rights
    // (never backup semantics); a link at `path` is opened itself, never followed. Every write
    // goes to the end as it stands then: a file on a share that other computers append to at the
    // same time gets each one's bytes whole. `facts` tells what was opened.
    virtual std::unique_ptr<OutputFile> OpenToAppend(const std::wstring& path, FileFacts& facts) = 0;
    // The permissions of a file or a folder on this computer, read without following a link at
    // its name.
    virtual Permissions PermissionsOf(const std::wstring& path) = 0;
    // Whether this process may open the file or the folder at `path` with `access`, and closes it
    // at once, unchanged: what a server's share and its files allow is known only by asking it.
    // A refusal is false; any other failure is thrown.
    virtual bool MayOpen(const std::wstring& path, std::uint32_t access) = 0;
    // The file's own Authenticode signature, its chain up to a trusted root, as Windows verifies
    // it (wintrust.dll from the system folder). Revocation is not asked: a PC being cleaned is
    // often offline, and each file would wait for the network. A file signed only in one of
    // Windows' catalogs has none of its own. A check that cannot run is thrown.
    virtual Signature SignatureOf(const std::wstring& path) = 0;
};

// What this process's token allows: `elevated` is the token's elevation (Vista and later;
// nothing on XP, which has none), `administrator` its membership of Administrators; and whose it is.
struct TokenRights {
    std::optional<bool> elevated;
    bool administrator;
    bool localSystem = false;  // the token's user is SYSTEM (S-1-5-18): a fleet's task, no desktop user's
};

// Programs start in the system folder, so that they inherit no folder of the user's.
class Processes {
public:
    virtual ~Processes() = default;
    // Starts the program file `application` (a full path: nothing is searched for) with a
    // command line and a window show command, and does not wait for it.
    virtual void Start(const std::wstring& application, const std::wstring& commandLine, int showCommand) = 0;
    // Runs the program file `application` without a window and waits for it, `seconds` at most;
    // returns its exit code. A program still running then is a failure (ERROR_TIMEOUT).
    virtual std::uint32_t RunHidden(
        const std::wstring& application, const std::wstring& commandLine, unsigned seconds) = 0;
    virtual std::uint32_t CurrentProcessId() = 0;
    virtual TokenRights Rights() = 0;
};

struct LocalTime {
    int year, month, day, hour, minute, second;
    int utcOffsetMinutes = 0;  // local time less UTC
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime Now() = 0;
    virtual void Sleep(unsigned milliseconds) = 0;
};

// The ANSI version record (OSVERSIONINFOA): 148 bytes.
struct OsVersionInfo {
    std::uint32_t size, major, minor, build, platformId;
    char servicePack[128];
};

struct Luid {
    std::uint32_t low;
    std::int32_t high;
};

struct LuidAndAttributes {
    Luid luid;
    std::uint32_t attributes;
};

// TOKEN_PRIVILEGES with room for two entries.
struct PrivilegeRecord {
    std::uint32_t count;
    LuidAndAttributes privileges[2];
};

// The calls the restart needs, one for one, so that tests can record them.
class RebootCalls {
public:
    using Handle = std::uintptr_t;
    virtual ~RebootCalls() = default;
    virtual std::int32_t GetVersionExA(OsVersionInfo& info) = 0;
    virtual Handle GetCurrentProcess() = 0;
    virtual std::int32_t OpenProcessToken(Handle process, std::uint32_t access, Handle& token) = 0;
    virtual std::int32_t LookupPrivilegeValueA(const char* systemName, const char* name, Luid& luid) = 0;
    virtual std::int32_t AdjustTokenPrivileges(Handle token, std::int32_t disableAll, PrivilegeRecord& newState,
        std::uint32_t bufferLength, PrivilegeRecord& previousState, std::uint32_t& returnLength) = 0;
    virtual std::int32_t ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) = 0;
    // The thread's last error, as the calls above left it.
    virtual std::uint32_t GetLastError() = 0;
};

// A registry value as stored: its type (win::Reg*) and its bytes.
struct RegistryValue {
    std::uint32_t type = 0;
    std::string bytes;
    bool operator==(const RegistryValue&) const = default;
};

// An open registry key, closed when it goes. A failure throws Failure with the Windows error and
// the key's place (HKLM\...) and value's name; a value that does not exist is nothing, which
// for many values is Windows' own default.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    // The value whole, in at most `cap` bytes: it is read again while it grows between the call
    // that sizes it and the one that reads it. Larger than `cap`: win::ErrorInsufficientBuffer;
    // still growing after a few reads: win::ErrorMoreData. The first read's buffer holds `cap`
    // bytes, 1 KiB at most.
    virtual std::optional<RegistryValue> Read(const std::wstring& name, std::uint32_t cap) = 0;
    virtual void Write(const std::wstring& name, const RegistryValue& value) = 0;
    // Deletes a value; one that does not exist is none to delete.
    virtual void Delete(const std::wstring& name) = 0;
    virtual std::vector<std::wstring> SubKeys() = 0;
    virtual std::vector<std::wstring> ValueNames() = 0;

    std::optional<std::wstring> ReadText(const std::wstring& name, std::uint32_t cap) {
        return TextValue(Read(name, cap));
    }
    std::optional<std::uint32_t> ReadNumber(const std::wstring& name) {
        return NumberValue(Read(name, sizeof(std::uint32_t)));
    }

    // A text value (REG_SZ, REG_EXPAND_SZ), as Unicode keys store it; nothing when it is missing
    // or of another type.
    static std::optional<std::wstring> TextValue(const std::optional<RegistryValue>& value) {
        if (!value || (value->type != win::RegSz && value->type != win::RegExpandSz)) return std::nullopt;
        return RegistryText(value->bytes);
    }
    // A number value (REG_DWORD); nothing when it is missing or of another type.
    static std::optional<std::uint32_t> NumberValue(const std::optional<RegistryValue>& value) {
        if (!value || value->type != win::RegDword || value->bytes.size() != sizeof(std::uint32_t)) return std::nullopt;
        std::uint32_t number = 0;
        for (auto at = value->bytes.rbegin(); at != value->bytes.rend(); ++at)
            number = number << 8 | static_cast<unsigned char>(*at);
        return number;
    }
};

// A registry file of another installation (a hive: its System32\config\SYSTEM, say), loaded
// privately or under HKLM with a name of this run's own. Its keys are the file's: what is written
// to them is written to it. The end of this object unloads it, whatever ended its use, when Unload
// has not.
class LoadedHive {
public:
    virtual ~LoadedHive() = default;
    // The key at `path` in the file, opened with `access`; nothing when it does not exist.
    virtual std::unique_ptr<RegistryKey> Open(const std::wstring& path, std::uint32_t access) = 0;
    // Every key opened in it must be closed by then, or Windows keeps it loaded.
    virtual void Unload() = 0;
};

class Registry {
public:
    // How a key's path and its values' names reach the system: Unicode, or in the system's ANSI
    // code page through the ANSI calls (RegOpenKeyExA, RegQueryValueExA), whose text values
    // come back in that code page too. The About dialog's lookup has always made the ANSI calls.
    enum class Names { Unicode, Ansi };
    virtual ~Registry() = default;
    // The key at `path` under a root (win::HKey*), opened with `access`; nothing when it does not exist.
    virtual std::unique_ptr<RegistryKey> Open(
        std::int32_t root, const std::wstring& path, std::uint32_t access, Names names = Names::Unicode) = 0;
    // Loads a registry file under HKLM, with the backup and restore privileges enabled for the load
    // and the unload alone. The running Windows' own files, in use, cannot be loaded (a sharing
    // violation). While it is loaded, anyone its keys let in can open them, and a key held open
    // keeps the unload from working.
    virtual std::unique_ptr<LoadedHive> Load(const std::wstring& file) = 0;
    // Tells the browsers running in this session that the user's Internet settings changed
    // (WinINET's own notice, from the system folder's wininet.dll); a failure is thrown.
    virtual void InternetSettingsChanged() = 0;
    // Loads it where no other program reaches it (RegLoadAppKey, Vista and later: named nowhere,
    // loaded by no one else meanwhile, gone with its last key), its root opened with `access`.
    // Nothing where this Windows cannot.
    virtual std::unique_ptr<LoadedHive> LoadPrivately(const std::wstring& file, std::uint32_t access) = 0;
};

// The calls that narrow where Windows looks for the DLLs loaded later, one for one: nothing
// where this Windows lacks the call (SetDefaultDllDirectories: 8, and 7 and Vista with KB2533623;
// SetDllDirectoryW: XP SP1 and later).
class DllSearchCalls {
public:
    virtual ~DllSearchCalls() = default;
    virtual std::optional<std::int32_t> SetDefaultDllDirectories(std::uint32_t flags) = 0;
    virtual std::optional<std::int32_t> SetDllDirectoryW(const wchar_t* folder) = 0;
    // The thread's last error, as the calls above left it.
    virtual std::uint32_t GetLastError() = 0;
};

// A file-name lookup with normal attributes: the first matching name, or the empty text.
class FileLookup {
public:
    virtual ~FileLookup() = default;
    virtual std::wstring FirstMatch(const std::wstring& pattern) = 0;
};

class Shell {
public:
    virtual ~Shell() = default;
    // Opens `address` with its default handler, the default verb and a normal window, through
    // the desktop's own shell (Explorer): what starts then has the user's rights, never this
    // elevated process's. False when there is no desktop shell to ask.
    virtual bool OpenAsDesktopUser(const std::wstring& address) = 0;
};

// Where a run without a window tells what it did.
class Console {
public:
    virtual ~Console() = default;
    // Whether there is somewhere to write: a redirected standard output, or the console of the
    // program that started this one.
    virtual bool Available() = 0;
    // Throws Failure when the line cannot be written.
    virtual void WriteLine(std::wstring_view line) = 0;
};

// The Application event log, where a fleet's tools (Windows Event Forwarding, a SIEM's agent)
// collect what each computer's runs found and did.
class EventLog {
public:
    virtual ~EventLog() = default;
    // One entry of this program's source, of `type` (win::Event*), `text` its one insertion
    // string; a failure is thrown. Returns why the source could not be registered first (a
    // Windows error; 0: it is registered): the entry is written all the same.
    virtual std::uint32_t Report(std::uint16_t type, std::uint32_t id, std::wstring_view text) = 0;
};

// What start-up hands to the windows, and they to their logic.
struct Platform {
    MessageBoxUi& ui;
    Environment& env;
    FileSystem& files;
    Processes& processes;
    Clock& clock;
    RebootCalls& reboot;
    Registry& registry;
    FileLookup& fileLookup;
    Shell& shell;
    Console& console;
    EventLog& events;
    const Codepage& cp;  // the system's ANSI code page
};
