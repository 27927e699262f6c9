#include "app/Win32Platform.h"

#include <exdisp.h>
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

void HoldBackupAndRestorePrivileges() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) return;
    for (const wchar_t* name : {SE_BACKUP_NAME, SE_RESTORE_NAME}) {
        TOKEN_PRIVILEGES wanted{1, {{{0, 0}, SE_PRIVILEGE_ENABLED}}};
        if (LookupPrivilegeValueW(nullptr, name, &wanted.Privileges[0].Luid))
            AdjustTokenPrivileges(token, FALSE, &wanted, 0, nullptr, nullptr);
    }
    CloseHandle(token);
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

bool Win32FileSystem::ReadChunks(const std::wstring& path, const std::function<void(std::string_view)>& chunk) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.Valid()) {
        if (IsMissing(GetLastError())) return false;
        ThrowLastError(path);
    }
    // Backup semantics open folders too, which are no file to read.
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

void Win32FileSystem::ProbeReplaceable(const std::wstring& path) {
    // DELETE alone: a read-only file may be opened for it (Wine refuses one opened for its
    // attributes), and a holder that did not share deletion is found.
    FileHandle file(CreateFileW(path.c_str(), DELETE, ShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.Valid() && !IsMissing(GetLastError())) ThrowLastError(path);
}

std::unique_ptr<OutputFile> Win32FileSystem::CreateNew(const std::wstring& path) {
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) ThrowLastError(path);
    return std::make_unique<Win32OutputFile>(h, path);
}

void Win32FileSystem::Replace(const std::wstring& from, const std::wstring& to) {
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ThrowLastError(to);
}

bool Win32FileSystem::Delete(const std::wstring& path) {
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

std::wstring Win32FileLookup::FirstMatch(const std::wstring& pattern) {
    // Normal attributes: folders, hidden and system files do not match.
    constexpr DWORD NotNormal = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
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
