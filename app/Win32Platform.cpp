#include "app/Win32Platform.h"

#include <shellapi.h>


#include "app/AppInfo.h"

// The logic's copies of Windows numbers (app/WinNumbers.h) are the headers' own.
static_assert(win::ShowNormal == SW_SHOWNORMAL && win::ShowMinimized == SW_SHOWMINIMIZED);
static_assert(win::ErrorNotAllAssigned == ERROR_NOT_ALL_ASSIGNED && win::FileAttributeReadOnly == FILE_ATTRIBUTE_READONLY &&
              win::FileAttributeHidden == FILE_ATTRIBUTE_HIDDEN && win::FileAttributeSystem == FILE_ATTRIBUTE_SYSTEM &&
              win::FileAttributeNormal == FILE_ATTRIBUTE_NORMAL);
static_assert(win::ErrorFileNotFound == ERROR_FILE_NOT_FOUND && win::ErrorAccessDenied == ERROR_ACCESS_DENIED &&
              win::ErrorNotEnoughMemory == ERROR_NOT_ENOUGH_MEMORY && win::ErrorFileExists == ERROR_FILE_EXISTS &&
              win::ErrorInvalidParameter == ERROR_INVALID_PARAMETER && win::ErrorMoreData == ERROR_MORE_DATA &&
              win::ErrorArithmeticOverflow == ERROR_ARITHMETIC_OVERFLOW &&
              win::ErrorInternalError == ERROR_INTERNAL_ERROR);
static_assert(win::PlatformIdNt == VER_PLATFORM_WIN32_NT && win::ExitReboot == EWX_REBOOT &&
              win::ExitForce == EWX_FORCE && win::TokenAdjustPrivileges == TOKEN_ADJUST_PRIVILEGES &&
              win::TokenQuery == TOKEN_QUERY && win::PrivilegeEnabled == SE_PRIVILEGE_ENABLED);
static_assert(win::KeyAllButDelete == (KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS |
                                       KEY_NOTIFY | KEY_CREATE_LINK | READ_CONTROL));
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

std::optional<std::wstring> Win32Environment::Get(const std::wstring& name) {
    std::wstring value(256, L'\0');
    for (;;) {
        SetLastError(0);
        const DWORD n = GetEnvironmentVariableW(name.c_str(), value.data(), static_cast<DWORD>(value.size()));
        if (n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
        if (n < value.size()) {
            value.resize(n);
            return value;
        }
        value.resize(n);
    }
}

std::wstring Win32Environment::SystemDirectory() {
    wchar_t folder[MAX_PATH];
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) ThrowLastError(L"GetSystemDirectoryW");
    return std::wstring(folder, n);
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
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.Valid()) {
        if (IsMissing(GetLastError())) return false;
        ThrowLastError(path);
    }
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
    FileHandle file(CreateFileW(path.c_str(), DELETE, ShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
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

void Win32FileSystem::SetAttributes(const std::wstring& path, std::uint32_t attributes) {
    if (!SetFileAttributesW(path.c_str(), attributes)) ThrowLastError(path);
}

void Win32Processes::Start(const std::wstring& application, const std::wstring& commandLine, int showCommand) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION pi{};
    std::wstring mutableLine = commandLine;  // CreateProcessW may write into it
    if (!CreateProcessW(application.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        ThrowLastError(application);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

std::uint32_t Win32Processes::CurrentProcessId() {
    return GetCurrentProcessId();
}

LocalTime Win32Clock::Now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
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

std::int32_t Win32Registry::RegOpenKeyExA(Key root, const char* subKey, std::uint32_t options, std::uint32_t access,
                                          Key& result) {
    HKEY key = nullptr;
    const LONG status = ::RegOpenKeyExA(reinterpret_cast<HKEY>(root), subKey, options, access, &key);
    result = reinterpret_cast<Key>(key);
    return status;
}

std::int32_t Win32Registry::RegQueryValueExA(Key key, const char* valueName, std::uint32_t& type, unsigned char* data,
                                             std::uint32_t& size) {
    DWORD t = 0, s = size;
    const LONG status = ::RegQueryValueExA(reinterpret_cast<HKEY>(key), valueName, nullptr, &t, data, &s);
    type = t;
    size = s;
    return status;
}

std::int32_t Win32Registry::RegCloseKey(Key key) {
    return ::RegCloseKey(reinterpret_cast<HKEY>(key));
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

std::intptr_t Win32Shell::ShellExecuteA(std::intptr_t parent, const char* operation, const char* file,
                                        const char* parameters, const char* directory, int showCommand) {
    return reinterpret_cast<std::intptr_t>(
        ::ShellExecuteA(reinterpret_cast<HWND>(parent), operation, file, parameters, directory, showCommand));
}
