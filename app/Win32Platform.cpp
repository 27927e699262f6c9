#include "app/Win32Platform.h"

#include <exdisp.h>
#include <restartmanager.h>
#include <shldisp.h>
#include <shlobj.h>

#include "app/AppInfo.h"

// The logic's copies of Windows numbers (app/WinNumbers.h) are the headers' own.
static_assert(win::ShowNormal == SW_SHOWNORMAL && win::ShowMinimized == SW_SHOWMINIMIZED);
static_assert(win::ErrorNotAllAssigned == ERROR_NOT_ALL_ASSIGNED && win::FileAttributeReadOnly == FILE_ATTRIBUTE_READONLY &&
              win::FileAttributeHidden == FILE_ATTRIBUTE_HIDDEN && win::FileAttributeSystem == FILE_ATTRIBUTE_SYSTEM &&
              win::FileAttributeNormal == FILE_ATTRIBUTE_NORMAL);
static_assert(win::ErrorTimeout == ERROR_TIMEOUT && win::ErrorSharingViolation == ERROR_SHARING_VIOLATION &&
              win::ErrorLockViolation == ERROR_LOCK_VIOLATION &&
              win::ErrorSuccessRebootRequired == ERROR_SUCCESS_REBOOT_REQUIRED);
static_assert(win::FileAttributeDirectory == FILE_ATTRIBUTE_DIRECTORY &&
              win::FileAttributeReparsePoint == FILE_ATTRIBUTE_REPARSE_POINT);
static_assert(win::ErrorFileNotFound == ERROR_FILE_NOT_FOUND && win::ErrorPathNotFound == ERROR_PATH_NOT_FOUND &&
              win::ErrorAccessDenied == ERROR_ACCESS_DENIED &&
              win::ErrorNotEnoughMemory == ERROR_NOT_ENOUGH_MEMORY && win::ErrorFileExists == ERROR_FILE_EXISTS &&
              win::ErrorInvalidParameter == ERROR_INVALID_PARAMETER && win::ErrorMoreData == ERROR_MORE_DATA &&
              win::ErrorArithmeticOverflow == ERROR_ARITHMETIC_OVERFLOW &&
              win::ErrorInternalError == ERROR_INTERNAL_ERROR);
static_assert(win::PlatformIdNt == VER_PLATFORM_WIN32_NT && win::ExitReboot == EWX_REBOOT &&
              win::ExitForce == EWX_FORCE && win::TokenAdjustPrivileges == TOKEN_ADJUST_PRIVILEGES &&
              win::TokenQuery == TOKEN_QUERY && win::PrivilegeEnabled == SE_PRIVILEGE_ENABLED);
static_assert(win::KeyAllButDelete == (KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS |
                                       KEY_NOTIFY | KEY_CREATE_LINK | READ_CONTROL) &&
              win::KeyQueryValue == KEY_QUERY_VALUE && win::KeySetValue == KEY_SET_VALUE);
static_assert(win::RegSz == REG_SZ && win::RegExpandSz == REG_EXPAND_SZ && win::RegDword == REG_DWORD);
static_assert(vbOKOnly == MB_OK && vbYesNo == MB_YESNO && vbCritical == MB_ICONHAND && vbInformation == MB_ICONASTERISK);
static_assert(static_cast<int>(Answer::Ok) == IDOK && static_cast<int>(Answer::Yes) == IDYES &&
              static_cast<int>(Answer::No) == IDNO);
static_assert(sizeof(OsVersionInfo) == sizeof(OSVERSIONINFOA));
static_assert(sizeof(Luid) == sizeof(LUID));
static_assert(sizeof(PrivilegeRecord) == sizeof(TOKEN_PRIVILEGES) + sizeof(LUID_AND_ATTRIBUTES));

void ThrowLastError(const std::wstring& subject) {
    throw Failure(GetLastError(), subject);
}

const Codepage& SystemAnsiCodepage() {
    static const Codepage cp = [] {
        Codepage c{};
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            wchar_t ch = L'?';
            MultiByteToWideChar(CP_ACP, 0, &byte, 1, &ch, 1);
            c.toWide[b] = ch;
        }
        return c;
    }();
    return cp;
}

void SetBackupAndRestorePrivileges(bool enabled) {
    // The token and the privileges' identifiers are looked up once; the token stays open until
    // the process ends. A privilege the token lacks is left out by AdjustTokenPrivileges.
    static const struct Rights {
        HANDLE token = nullptr;
        PrivilegeRecord both{2, {}};
        Rights() {
            if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) token = nullptr;
            LookupPrivilegeValueW(nullptr, SE_BACKUP_NAME, reinterpret_cast<LUID*>(&both.privileges[0].luid));
            LookupPrivilegeValueW(nullptr, SE_RESTORE_NAME, reinterpret_cast<LUID*>(&both.privileges[1].luid));
        }
    } rights;
    if (!rights.token) return;
    PrivilegeRecord wanted = rights.both;
    for (LuidAndAttributes& privilege : wanted.privileges) privilege.attributes = enabled ? SE_PRIVILEGE_ENABLED : 0;
    AdjustTokenPrivileges(rights.token, FALSE, reinterpret_cast<TOKEN_PRIVILEGES*>(&wanted), 0, nullptr, nullptr);
}

namespace {

// A folder the system gives through a call of the GetSystemDirectory kind.
std::wstring SystemFolder(UINT (WINAPI* get)(LPWSTR, UINT), const wchar_t* what) {
    wchar_t folder[MAX_PATH];
    const UINT n = get(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) ThrowLastError(what);
    return std::wstring(folder, n);
}

}  // namespace

std::wstring Win32Environment::WindowsDirectory() {
    return SystemFolder(GetSystemWindowsDirectoryW, L"GetSystemWindowsDirectoryW");
}

std::wstring Win32Environment::SystemDirectory() {
    return SystemFolder(GetSystemDirectoryW, L"GetSystemDirectoryW");
}

std::wstring Win32Environment::ComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &size)) ThrowLastError(L"GetComputerNameW");
    return std::wstring(name, size);
}

std::wstring Win32Environment::ErrorText(std::uint32_t code) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result = n ? std::wstring(text, n) : L"Неизвестная ошибка.";
    LocalFree(text);
    while (!result.empty() && (result.back() == L'\r' || result.back() == L'\n' || result.back() == L' '))
        result.pop_back();
    return result;
}

namespace {

// A handle closed when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { Close(); }
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

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The backup and restore privileges, enabled while it lives: around one of the hosts file's calls,
// never around a program's start. (Its end sets the thread's last error: read it before.)
class BackupRights {
public:
    BackupRights() { SetBackupAndRestorePrivileges(true); }
    ~BackupRights() { SetBackupAndRestorePrivileges(false); }
    BackupRights(const BackupRights&) = delete;
    BackupRights& operator=(const BackupRights&) = delete;
};

bool IsMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

class Win32OutputFile final : public OutputFile {
public:
    Win32OutputFile(HANDLE h, std::wstring path) : file_(h), path_(std::move(path)) {}

    void Write(std::string_view bytes) override {
        while (!bytes.empty()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
            DWORD written = 0;
            if (!WriteFile(file_.Get(), bytes.data(), chunk, &written, nullptr)) ThrowLastError(path_);
            bytes.remove_prefix(written);
        }
    }

    void Close() override {
        if (!FlushFileBuffers(file_.Get())) ThrowLastError(path_);
        if (!file_.Close()) ThrowLastError(path_);
    }

private:
    FileHandle file_;
    std::wstring path_;
};

}  // namespace

namespace {

// A regular file on a disk, piece by piece; false when it does not exist. A folder (which backup
// semantics open too), a device or a pipe, whose reads could wait for ever, is refused before
// anything is read.
bool ReadDiskFile(const std::wstring& path, const std::function<void(std::string_view)>& chunk, DWORD flags) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN | flags, nullptr));
    if (!file.Valid()) {
        if (IsMissing(GetLastError())) return false;
        ThrowLastError(path);
    }
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) throw Failure(ERROR_NOT_SUPPORTED, path);
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.Get(), &info)) ThrowLastError(path);
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) throw Failure(ERROR_ACCESS_DENIED, path);
    std::string buffer(1u << 20, '\0');
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) ThrowLastError(path);
        if (read == 0) return true;
        chunk(std::string_view(buffer.data(), read));
    }
}

}  // namespace

bool Win32FileSystem::ReadChunks(const std::wstring& path, const std::function<void(std::string_view)>& chunk) {
    const BackupRights rights;
    return ReadDiskFile(path, chunk, FILE_FLAG_BACKUP_SEMANTICS);
}

bool Win32FileSystem::ReadOrdinaryFile(const std::wstring& path, const std::function<void(std::string_view)>& chunk) {
    return ReadDiskFile(path, chunk, 0);
}

void Win32FileSystem::ProbeReplaceable(const std::wstring& path) {
    // DELETE alone: a read-only file may be opened for it (Wine refuses one opened for its
    // attributes), and a holder that did not share deletion is found.
    const BackupRights rights;
    FileHandle file(CreateFileW(path.c_str(), DELETE, ShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.Valid() && !IsMissing(GetLastError())) ThrowLastError(path);
}

bool Win32FileSystem::InUse(const std::wstring& path) {
    const BackupRights rights;
    FileHandle file(CreateFileW(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return !file.Valid() && GetLastError() == ERROR_SHARING_VIOLATION;
}

namespace {

// A function of a DLL loaded at run time.
template <class Function>
Function Procedure(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

// The Restart Manager is Vista's: its DLL is loaded by its full path in the system folder, never
// searched for, and where it is missing (XP) no holder is named.
std::vector<FileHolder> Win32FileSystem::Holders(const std::wstring& path) {
    std::vector<FileHolder> holders;
    const std::wstring dll = Win32Environment().SystemDirectory() + L"\\rstrtmgr.dll";
    const HMODULE rm = LoadLibraryExW(dll.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!rm) return holders;
    const auto start = Procedure<decltype(&RmStartSession)>(rm, "RmStartSession");
    const auto add = Procedure<decltype(&RmRegisterResources)>(rm, "RmRegisterResources");
    const auto list = Procedure<decltype(&RmGetList)>(rm, "RmGetList");
    const auto end = Procedure<decltype(&RmEndSession)>(rm, "RmEndSession");
    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (start && add && list && end && start(&session, 0, key) == ERROR_SUCCESS) {
        LPCWSTR files[] = {path.c_str()};
        std::vector<RM_PROCESS_INFO> found(8);
        UINT needed = 0, count = 0;
        DWORD reasons = 0, status = add(session, 1, files, 0, nullptr, 0, nullptr);
        // The list may grow between the call that sizes it and the one that fills it.
        for (int attempt = 0; status == ERROR_SUCCESS && attempt < 4; ++attempt) {
            count = static_cast<UINT>(found.size());
            status = list(session, &needed, &count, found.data(), &reasons);
            if (status != ERROR_MORE_DATA) break;
            found.resize(needed);
            status = ERROR_SUCCESS;
        }
        for (UINT i = 0; status == ERROR_SUCCESS && i < std::min<std::size_t>(count, found.size()); ++i)
            holders.push_back({found[i].Process.dwProcessId, found[i].strAppName});
        end(session);
    }
    FreeLibrary(rm);
    return holders;
}

std::unique_ptr<OutputFile> Win32FileSystem::CreateNew(const std::wstring& path) {
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) ThrowLastError(path);
    return std::make_unique<Win32OutputFile>(h, path);
}

void Win32FileSystem::Replace(const std::wstring& from, const std::wstring& to) {
    const BackupRights rights;
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ThrowLastError(to);
}

void Win32FileSystem::MoveAtRestart(const std::wstring& from, const std::wstring& to, bool replace) {
    const BackupRights rights;
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT | (replace ? MOVEFILE_REPLACE_EXISTING : 0)))
        ThrowLastError(from);
}

// Pairs of names as MoveFileEx keeps them: \??\C:\from, then \??\C:\to with "!" before it for a
// replace, or nothing for a deletion; in the second value once the first has grown too large.
std::vector<PendingMove> Win32FileSystem::PendingMoves() {
    constexpr wchar_t SessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
    std::vector<PendingMove> moves;
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, SessionManager, 0, KEY_QUERY_VALUE, &key);
    if (status != ERROR_SUCCESS) throw Failure(status, std::wstring(L"HKLM\\") + SessionManager);
    for (const wchar_t* name : {L"PendingFileRenameOperations", L"PendingFileRenameOperations2"}) {
        std::vector<wchar_t> data(1024);
        DWORD type = 0, size = 0;
        for (int attempt = 0; attempt < 4; ++attempt) {  // it may grow between the calls
            size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
            status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
            if (status != ERROR_MORE_DATA) break;
            data.resize(size / sizeof(wchar_t) + 1);
        }
        if (status == ERROR_FILE_NOT_FOUND || (status == ERROR_SUCCESS && type != REG_MULTI_SZ)) continue;
        if (status != ERROR_SUCCESS) {
            RegCloseKey(key);
            throw Failure(status, std::wstring(L"HKLM\\") + SessionManager + L"\\" + name);
        }
        std::vector<std::wstring> names(1);
        for (std::size_t at = 0; at < size / sizeof(wchar_t); ++at) {
            if (data[at]) names.back().push_back(data[at]);
            else names.emplace_back();
        }
        for (std::wstring& n : names) {
            if (n.starts_with(L"!")) n.erase(0, 1);
            if (n.starts_with(L"\\??\\")) n.erase(0, 4);
        }
        for (std::size_t at = 0; at + 1 < names.size(); at += 2)
            if (!names[at].empty()) moves.push_back({names[at], names[at + 1]});
    }
    RegCloseKey(key);
    return moves;
}

bool Win32FileSystem::Delete(const std::wstring& path) {
    const BackupRights rights;
    if (DeleteFileW(path.c_str())) return true;
    if (IsMissing(GetLastError())) return false;
    ThrowLastError(path);
}

std::optional<std::uint32_t> Win32FileSystem::Attributes(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return attributes;
    if (IsMissing(GetLastError())) return std::nullopt;
    ThrowLastError(path);
}

namespace {

// Where the file's permissions refuse even administrators: the attributes set through a handle
// opened with the restore privilege. SetFileInformationByHandle is Vista's, looked up at run time;
// on XP the refusal stands.
bool SetAttributesAsRestorer(const std::wstring& path, DWORD attributes) {
    const auto set = NewerKernelCall<BOOL(WINAPI*)(HANDLE, int, void*, DWORD)>("SetFileInformationByHandle");
    FileHandle file(set ? CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, ShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr)
                        : INVALID_HANDLE_VALUE);
    struct {
        LARGE_INTEGER created, accessed, written, changed;  // 0: left as they are
        DWORD attributes;
    } basic{{}, {}, {}, {}, attributes};
    constexpr int FileBasicInfo = 0;
    return file.Valid() && set(file.Get(), FileBasicInfo, &basic, sizeof basic);
}

}  // namespace

void Win32FileSystem::SetAttributes(const std::wstring& path, std::uint32_t attributes) {
    const BackupRights rights;
    if (SetFileAttributesW(path.c_str(), attributes)) return;
    const DWORD error = GetLastError();
    if (error != ERROR_ACCESS_DENIED || !SetAttributesAsRestorer(path, attributes)) throw Failure(error, path);
}

std::unique_ptr<OutputFile> Win32FileSystem::OpenToAppend(const std::wstring& path, FileFacts& facts) {
    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write goes to the end as it stands then, one
    // writer's after another's. The attributes are read through the same handle, so what is
    // checked is what is written to.
    const HANDLE h = CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) ThrowLastError(path);
    auto file = std::make_unique<Win32OutputFile>(h, path);
    facts.disk = GetFileType(h) == FILE_TYPE_DISK;
    BY_HANDLE_FILE_INFORMATION info{};
    if (facts.disk) {
        if (!GetFileInformationByHandle(h, &info)) ThrowLastError(path);
        facts.attributes = info.dwFileAttributes;
        facts.links = info.nNumberOfLinks;
    }
    return file;
}

namespace {

// Starts `application` by its full path with `commandLine` (which CreateProcessW may write into,
// so it gets a copy) and a show command, in the system folder; the caller owns the handles.
PROCESS_INFORMATION Launch(const std::wstring& application, std::wstring commandLine, WORD show, DWORD flags) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = show;
    PROCESS_INFORMATION pi{};
    const std::wstring folder = Win32Environment().SystemDirectory();
    if (!CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                        folder.c_str(), &si, &pi))
        ThrowLastError(application);
    return pi;
}

}  // namespace

void Win32Processes::Start(const std::wstring& application, const std::wstring& commandLine, int showCommand) {
    const PROCESS_INFORMATION pi = Launch(application, commandLine, static_cast<WORD>(showCommand), 0);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

std::uint32_t Win32Processes::RunHidden(const std::wstring& application, const std::wstring& commandLine,
                                        unsigned seconds) {
    const PROCESS_INFORMATION pi = Launch(application, commandLine, SW_HIDE, CREATE_NO_WINDOW);
    FileHandle process(pi.hProcess), thread(pi.hThread);
    const DWORD waited = WaitForSingleObject(pi.hProcess, seconds * 1000);
    if (waited == WAIT_TIMEOUT) throw Failure(ERROR_TIMEOUT, application);
    DWORD code = 0;
    if (waited != WAIT_OBJECT_0 || !GetExitCodeProcess(pi.hProcess, &code)) ThrowLastError(application);
    return code;
}

std::uint32_t Win32Processes::CurrentProcessId() {
    return GetCurrentProcessId();
}

LocalTime Win32Clock::Now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

void Win32Clock::Sleep(unsigned milliseconds) {
    ::Sleep(milliseconds);
}

Answer Win32MessageBox::MsgBox(std::wstring_view prompt, unsigned style, std::wstring_view title) {
    const std::wstring text(prompt);
    const std::wstring caption = std::wstring(title.empty() ? ThisApp.title : title);
    const int answer = MessageBoxW(GetActiveWindow(), text.c_str(), caption.c_str(), style);
    if (answer == 0) ThrowLastError(L"");
    return static_cast<Answer>(answer);
}

std::int32_t Win32RebootCalls::GetVersionExA(OsVersionInfo& info) {
    return ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info));
}

RebootCalls::Handle Win32RebootCalls::GetCurrentProcess() {
    return reinterpret_cast<Handle>(::GetCurrentProcess());
}

std::int32_t Win32RebootCalls::OpenProcessToken(Handle process, std::uint32_t access, Handle& token) {
    HANDLE h = nullptr;
    const BOOL ok = ::OpenProcessToken(reinterpret_cast<HANDLE>(process), access, &h);
    token = reinterpret_cast<Handle>(h);
    return ok;
}

std::int32_t Win32RebootCalls::LookupPrivilegeValueA(const char* systemName, const char* name, Luid& luid) {
    return ::LookupPrivilegeValueA(systemName, name, reinterpret_cast<LUID*>(&luid));
}

std::int32_t Win32RebootCalls::AdjustTokenPrivileges(Handle token, std::int32_t disableAll, PrivilegeRecord& newState,
                                                     std::uint32_t bufferLength, PrivilegeRecord& previousState,
                                                     std::uint32_t& returnLength) {
    DWORD length = returnLength;
    const BOOL ok = ::AdjustTokenPrivileges(reinterpret_cast<HANDLE>(token), disableAll,
                                            reinterpret_cast<TOKEN_PRIVILEGES*>(&newState), bufferLength,
                                            reinterpret_cast<TOKEN_PRIVILEGES*>(&previousState), &length);
    returnLength = length;
    return ok;
}

std::int32_t Win32RebootCalls::ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) {
    return ::ExitWindowsEx(flags, reason);
}

std::uint32_t Win32RebootCalls::GetLastError() {
    return ::GetLastError();
}

namespace {

// The ANSI and the Unicode calls take the same arguments but for their texts.
template <class Char>
std::int32_t OpenKey(LSTATUS(WINAPI* open)(HKEY, const Char*, DWORD, REGSAM, PHKEY), RegistryCalls::Key root,
                     const Char* subKey, std::uint32_t options, std::uint32_t access, RegistryCalls::Key& result) {
    HKEY key = nullptr;
    const LSTATUS status = open(reinterpret_cast<HKEY>(root), subKey, options, access, &key);
    result = reinterpret_cast<RegistryCalls::Key>(key);
    return status;
}

template <class Char>
std::int32_t QueryValue(LSTATUS(WINAPI* query)(HKEY, const Char*, LPDWORD, LPDWORD, LPBYTE, LPDWORD),
                        RegistryCalls::Key key, const Char* valueName, std::uint32_t& type, unsigned char* data,
                        std::uint32_t& size) {
    DWORD t = 0, s = size;
    const LSTATUS status = query(reinterpret_cast<HKEY>(key), valueName, nullptr, &t, data, &s);
    type = t;
    size = s;
    return status;
}

}  // namespace

std::int32_t Win32Registry::RegOpenKeyExA(Key root, const char* subKey, std::uint32_t options, std::uint32_t access,
                                          Key& result) {
    return OpenKey(::RegOpenKeyExA, root, subKey, options, access, result);
}

std::int32_t Win32Registry::RegQueryValueExA(Key key, const char* valueName, std::uint32_t& type, unsigned char* data,
                                             std::uint32_t& size) {
    return QueryValue(::RegQueryValueExA, key, valueName, type, data, size);
}

std::int32_t Win32Registry::RegOpenKeyExW(Key root, const wchar_t* subKey, std::uint32_t options, std::uint32_t access,
                                          Key& result) {
    return OpenKey(::RegOpenKeyExW, root, subKey, options, access, result);
}

std::int32_t Win32Registry::RegQueryValueExW(Key key, const wchar_t* valueName, std::uint32_t& type,
                                             unsigned char* data, std::uint32_t& size) {
    return QueryValue(::RegQueryValueExW, key, valueName, type, data, size);
}

std::int32_t Win32Registry::RegSetValueExW(Key key, const wchar_t* valueName, std::uint32_t type,
                                           const unsigned char* data, std::uint32_t size) {
    return ::RegSetValueExW(reinterpret_cast<HKEY>(key), valueName, 0, type, data, size);
}

std::int32_t Win32Registry::RegCloseKey(Key key) {
    return ::RegCloseKey(reinterpret_cast<HKEY>(key));
}

std::optional<std::int32_t> Win32DllSearch::SetDefaultDllDirectories(std::uint32_t flags) {
    const auto set = NewerKernelCall<BOOL(WINAPI*)(DWORD)>("SetDefaultDllDirectories");
    return set ? std::optional<std::int32_t>(set(flags)) : std::nullopt;
}

std::optional<std::int32_t> Win32DllSearch::SetDllDirectoryW(const wchar_t* folder) {
    const auto set = NewerKernelCall<BOOL(WINAPI*)(const wchar_t*)>("SetDllDirectoryW");
    return set ? std::optional<std::int32_t>(set(folder)) : std::nullopt;
}

std::uint32_t Win32DllSearch::GetLastError() {
    return ::GetLastError();
}

namespace {

// Normal attributes: folders, hidden and system files do not match.
constexpr DWORD NotNormal = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

}  // namespace

std::vector<FoundFile> Win32FileSystem::Find(const std::wstring& pattern) {
    std::vector<FoundFile> files;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return files;
    do {
        if (!(found.dwFileAttributes & (NotNormal | FILE_ATTRIBUTE_REPARSE_POINT)))
            files.push_back({found.cFileName, std::uint64_t{found.nFileSizeHigh} << 32 | found.nFileSizeLow});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return files;
}

std::wstring Win32FileLookup::FirstMatch(const std::wstring& pattern) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return L"";
    std::wstring name;
    do {
        if (!(found.dwFileAttributes & NotNormal)) {
            name = found.cFileName;
            break;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return name;
}

namespace {

// An interface pointer released when it goes out of scope.
template <class I>
struct Com {
    I* p = nullptr;
    Com() = default;
    Com(const Com&) = delete;
    ~Com() {
        if (p) p->Release();
    }
    I* operator->() const { return p; }
};

// The desktop's Shell.Application object, reached through the desktop's own view: it lives in
// Explorer, so what its ShellExecute starts has Explorer's token, the user's. (The class and the
// service are named here, not linked from libuuid, whose one object holds every identifier there
// is: 40 KB.)
bool DesktopShellExecute(const std::wstring& address) {
    constexpr CLSID ShellWindowsClass{0x9ba05972, 0xf6a8, 0x11cf, {0xa4, 0x42, 0x00, 0xa0, 0xc9, 0x0a, 0x8f, 0x39}};
    constexpr GUID TopLevelBrowser{0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};
    Com<IShellWindows> windows;
    Com<IDispatch> desktop, background, application;
    Com<IServiceProvider> provider;
    Com<IShellBrowser> browser;
    Com<IShellView> view;
    Com<IShellFolderViewDual> folderView;
    Com<IShellDispatch2> shell;
    VARIANT location, none, show;
    VariantInit(&location);
    VariantInit(&none);
    VariantInit(&show);
    location.vt = VT_I4;
    location.lVal = CSIDL_DESKTOP;
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    LONG desktopWindow = 0;
    if (FAILED(CoCreateInstance(ShellWindowsClass, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&windows.p))) ||
        windows->FindWindowSW(&location, &none, SWC_DESKTOP, &desktopWindow, SWFO_NEEDDISPATCH, &desktop.p) != S_OK ||
        !desktop.p || FAILED(desktop->QueryInterface(IID_PPV_ARGS(&provider.p))) ||
        FAILED(provider->QueryService(TopLevelBrowser, IID_PPV_ARGS(&browser.p))) ||
        FAILED(browser->QueryActiveShellView(&view.p)) ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_PPV_ARGS(&background.p))) ||
        FAILED(background->QueryInterface(IID_PPV_ARGS(&folderView.p))) ||
        FAILED(folderView->get_Application(&application.p)) ||
        FAILED(application->QueryInterface(IID_PPV_ARGS(&shell.p))))
        return false;
    // No arguments, no working folder, the default verb.
    const BSTR file = SysAllocString(address.c_str());
    const HRESULT started = file ? shell->ShellExecute(file, none, none, none, show) : E_OUTOFMEMORY;
    SysFreeString(file);
    return SUCCEEDED(started);
}

}  // namespace

bool Win32Shell::OpenAsDesktopUser(const std::wstring& address) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool opened = DesktopShellExecute(address);
    if (SUCCEEDED(com)) CoUninitialize();
    return opened;
}

bool Win32Console::Available() {
    if (!looked_) {
        looked_ = true;
        out_ = GetStdHandle(STD_OUTPUT_HANDLE);
        if (!out_ || out_ == INVALID_HANDLE_VALUE) {
            // A window program has no output of its own: the console it was started from, if any,
            // opened for reading too, without which its mode cannot be asked.
            out_ = AttachConsole(ATTACH_PARENT_PROCESS)
                       ? CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr)
                       : nullptr;
            if (out_ == INVALID_HANDLE_VALUE) out_ = nullptr;
        }
        DWORD mode = 0;
        console_ = out_ && GetConsoleMode(out_, &mode);
    }
    return out_ != nullptr;
}

// Every line ends in CR LF.
void Win32Console::WriteLine(std::wstring_view line) {
    if (!Available()) return;
    std::wstring text;
    for (wchar_t c : line) text += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
    text += L"\r\n";
    DWORD written = 0;
    if (console_) {
        if (!WriteConsoleW(out_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) ThrowLastError(L"CONOUT$");
        return;
    }
    const UINT consoleCodepage = GetConsoleOutputCP();
    const UINT codepage = utf8_ ? CP_UTF8 : consoleCodepage ? consoleCodepage : GetOEMCP();
    const int size = WideCharToMultiByte(codepage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codepage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    if (!WriteFile(out_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) ThrowLastError(L"stdout");
}
