#pragma once
// The Win32 side of the platform interfaces: thin adapters over the system calls, one file per
// system area: Win32Environment.cpp (the system's folders and names, errors, clock, code page),
// Win32Files.cpp, Win32Registry.cpp, Win32Processes.cpp (programs, privileges, the restart, DLL
// search), Win32Shell.cpp (the desktop shell, with COM, and the message box), Win32Console.cpp,
// Win32Signatures.cpp (Authenticode), Win32EventLog.cpp.
#include <windows.h>

#include "app/NestedSwitch.h"
#include "app/Platform.h"

// A failed call: the thread's last error, about `subject`.
[[noreturn]] void ThrowLastError(const std::wstring& subject);

// A function of a DLL, looked up at run time: nullptr where that DLL has none.
template <class Function>
Function Procedure(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// A DLL of the system folder, loaded by its full path there, never searched for, while this lives.
// One that cannot be loaded, or lacks a function asked for, is a Failure naming it.
class SystemDll {
public:
    explicit SystemDll(const wchar_t* name);
    ~SystemDll() { FreeLibrary(module_); }
    SystemDll(const SystemDll&) = delete;
    SystemDll& operator=(const SystemDll&) = delete;

    template <class Function>
    Function Get(const char* name) const {
        const auto function = Procedure<Function>(module_, name);
        if (!function) throw Failure(ERROR_PROC_NOT_FOUND, path_);
        return function;
    }

private:
    std::wstring path_;
    HMODULE module_;
};

// A kernel32 function that Windows XP lacks, looked up at run time so that the program still
// loads there.
template <class Function>
Function NewerKernelCall(const char* name) {
    return Procedure<Function>(GetModuleHandleW(L"kernel32.dll"), name);
}

// The system's ANSI code page, as a byte table.
const Codepage& SystemAnsiCodepage();

// Enables or disables the backup and restore privileges that administrators hold. The hosts
// file's calls below enable them for the call alone (with FILE_FLAG_BACKUP_SEMANTICS), so that a
// hosts file whose permissions refuse even administrators is read and replaced all the same;
// start-up disables any that a parent left enabled, so that no other file and no program started
// from here gets them. Where the token lacks them, files are met with their permissions as they
// are, and a refusal is reported as any other.
void SetBackupAndRestorePrivileges(bool enabled);

// The backup and restore privileges, enabled while it lives: around one of the hosts file's calls,
// never around a program's start. (Its end sets the thread's last error: read it before.)
class BackupRights {
public:
    BackupRights() { Switch().Enter(); }
    ~BackupRights() { Switch().Leave(); }
    BackupRights(const BackupRights&) = delete;
    BackupRights& operator=(const BackupRights&) = delete;

private:
    // One for the process: the calls that take the privileges run on the main thread alone.
    static NestedSwitch& Switch() {
        static NestedSwitch rights(SetBackupAndRestorePrivileges);
        return rights;
    }
};

// A handle closed when it goes out of scope.
class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE h) : h_(h) {}
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle() { Close(); }
    HANDLE Get() const { return h_; }
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
    BOOL Close() {
        const HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return h == INVALID_HANDLE_VALUE ? TRUE : CloseHandle(h);
    }

private:
    HANDLE h_;
};

class Win32Environment final : public Environment {
public:
    std::wstring WindowsDirectory() override;
    std::wstring SystemDirectory() override;
    std::wstring ComputerName() override;
    bool InDomain() override;
    std::wstring UserAppData() override;
    std::wstring ErrorText(std::uint32_t code) override;
    std::wstring SystemFolderOf(int bits) override;
};

class Win32FileSystem final : public FileSystem {
public:
    bool ReadChunks(const std::wstring& path, const std::function<void(std::string_view)>& chunk) override;
    std::unique_ptr<InputFile> OpenToRead(const std::wstring& path) override;
    std::optional<FileFacts> Facts(const std::wstring& path) override;
    bool ReadOrdinaryFile(const std::wstring& path, const std::function<void(std::string_view)>& chunk) override;
    void ProbeReplaceable(const std::wstring& path) override;
    bool InUse(const std::wstring& path) override;
    std::vector<FileHolder> Holders(const std::wstring& path) override;
    std::unique_ptr<OutputFile> CreateNew(const std::wstring& path) override;
    void Replace(const std::wstring& from, const std::wstring& to) override;
    void MoveAtRestart(const std::wstring& from, const std::wstring& to, bool replace) override;
    std::vector<PendingMove> PendingMoves() override;
    std::vector<FoundFile> Find(const std::wstring& pattern) override;
    bool Delete(const std::wstring& path) override;
    std::optional<std::uint32_t> Attributes(const std::wstring& path) override;
    void SetAttributes(const std::wstring& path, std::uint32_t attributes) override;
    std::unique_ptr<OutputFile> OpenToAppend(const std::wstring& path, FileFacts& facts) override;
    Permissions PermissionsOf(const std::wstring& path) override;
    bool MayOpen(const std::wstring& path, std::uint32_t access) override;
    // In Win32Signatures.cpp.
    Signature SignatureOf(const std::wstring& path) override;
};

class Win32Processes final : public Processes {
public:
    void Start(const std::wstring& application, const std::wstring& commandLine, int showCommand) override;
    std::uint32_t RunHidden(
        const std::wstring& application, const std::wstring& commandLine, unsigned seconds) override;
    std::uint32_t CurrentProcessId() override;
    TokenRights Rights() override;
};

class Win32Clock final : public Clock {
public:
    LocalTime Now() override;
    void Sleep(unsigned milliseconds) override;
};

class Win32MessageBox final : public MessageBoxUi {
public:
    Answer MsgBox(std::wstring_view prompt, unsigned style, std::wstring_view title) override;
};

class Win32RebootCalls final : public RebootCalls {
public:
    std::int32_t GetVersionExA(OsVersionInfo& info) override;
    Handle GetCurrentProcess() override;
    std::int32_t OpenProcessToken(Handle process, std::uint32_t access, Handle& token) override;
    std::int32_t LookupPrivilegeValueA(const char* systemName, const char* name, Luid& luid) override;
    std::int32_t AdjustTokenPrivileges(Handle token, std::int32_t disableAll, PrivilegeRecord& newState,
        std::uint32_t bufferLength, PrivilegeRecord& previousState, std::uint32_t& returnLength) override;
    std::int32_t ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override;
    std::uint32_t GetLastError() override;
};

// Another installation's registry file is loaded as HKLM\Hostovik-<process id>: a name of the
// run's own, which another run at the same time does not take.
inline constexpr wchar_t LoadedHivePrefix[] = L"Hostovik-";

class Win32Registry final : public Registry {
public:
    std::unique_ptr<RegistryKey> Open(
        std::int32_t root, const std::wstring& path, std::uint32_t access, Names names) override;
    std::unique_ptr<LoadedHive> Load(const std::wstring& file) override;
    // RegLoadAppKeyW looked up in advapi32 at run time: XP lacks it.
    std::unique_ptr<LoadedHive> LoadPrivately(const std::wstring& file, std::uint32_t access) override;
    void InternetSettingsChanged() override;
};

// Each call looked up in kernel32 at run time (NewerKernelCall): the headers for XP lack both.
class Win32DllSearch final : public DllSearchCalls {
public:
    std::optional<std::int32_t> SetDefaultDllDirectories(std::uint32_t flags) override;
    std::optional<std::int32_t> SetDllDirectoryW(const wchar_t* folder) override;
    std::uint32_t GetLastError() override;
};

class Win32FileLookup final : public FileLookup {
public:
    std::wstring FirstMatch(const std::wstring& pattern) override;
};

// The desktop shell's own ShellExecute (IShellWindows, then IShellDispatch2), which runs in
// Explorer with the user's token.
class Win32Shell final : public Shell {
public:
    bool OpenAsDesktopUser(const std::wstring& address) override;
};

// The standard output (a console, a pipe, a file), else the console of the program that started
// this one, if any; attached on first use. A console gets Unicode; a pipe or a file gets the
// console's output code page, else the OEM one, as Windows' own tools write, or UTF-8 if asked.
class Win32Console final : public Console {
public:
    explicit Win32Console(bool utf8) : utf8_(utf8) {}
    bool Available() override;
    void WriteLine(std::wstring_view line) override;

private:
    HANDLE out_ = nullptr;
    bool looked_ = false, console_ = false, utf8_;
};

// The Application log, this program its source ("Hostovik"), registered by the first report where
// it is not yet, with this program's own file as its message table.
class Win32EventLog final : public EventLog {
public:
    std::uint32_t Report(std::uint16_t type, std::uint32_t id, std::wstring_view text) override;
};

// One instance of each adapter; start-up owns it and hands the windows its Platform.
struct Win32Platform {
    explicit Win32Platform(bool utf8Output = false) : console(utf8Output) {}

    Win32Environment env;
    Win32FileSystem files;
    Win32Processes processes;
    Win32Clock clock;
    Win32MessageBox ui;
    Win32RebootCalls reboot;
    Win32Registry registry;
    Win32FileLookup fileLookup;
    Win32Shell shell;
    Win32Console console;
    Win32EventLog events;

    Platform Get() {
        return {ui, env, files, processes, clock, reboot, registry, fileLookup, shell, console, events,
            SystemAnsiCodepage()};
    }
};
