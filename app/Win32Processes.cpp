// Programs started from here, the privileges of this process's token, the restart's calls and
// where DLLs are loaded from.
#include "app/Win32Platform.h"

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

// Starts `application` by its full path with `commandLine` (which CreateProcessW may write into,
// so it gets a copy) and a show command, in the system folder; the caller owns the handles.
PROCESS_INFORMATION Launch(const std::wstring& application, std::wstring commandLine, WORD show, DWORD flags) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = show;
    PROCESS_INFORMATION pi{};
    const std::wstring folder = Win32Environment().SystemDirectory();
    if (!CreateProcessW(
            application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr, folder.c_str(), &si, &pi))
        ThrowLastError(application);
    return pi;
}

}  // namespace

void Win32Processes::Start(const std::wstring& application, const std::wstring& commandLine, int showCommand) {
    const PROCESS_INFORMATION pi = Launch(application, commandLine, static_cast<WORD>(showCommand), 0);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

std::uint32_t Win32Processes::RunHidden(
    const std::wstring& application, const std::wstring& commandLine, unsigned seconds) {
    const PROCESS_INFORMATION pi = Launch(application, commandLine, SW_HIDE, CREATE_NO_WINDOW);
    OwnedHandle process(pi.hProcess), thread(pi.hThread);
    const DWORD waited = WaitForSingleObject(pi.hProcess, seconds * 1000);
    if (waited == WAIT_TIMEOUT) throw Failure(ERROR_TIMEOUT, application);
    DWORD code = 0;
    if (waited != WAIT_OBJECT_0 || !GetExitCodeProcess(pi.hProcess, &code)) ThrowLastError(application);
    return code;
}

std::uint32_t Win32Processes::CurrentProcessId() { return GetCurrentProcessId(); }

namespace {

// Whether the token's user is SYSTEM (S-1-5-18).
bool IsLocalSystem(HANDLE token) {
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size ? size : 1);
    if (!GetTokenInformation(token, TokenUser, user.data(), size, &size)) ThrowLastError(L"GetTokenInformation");
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID system = nullptr;
    if (!AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &system))
        ThrowLastError(L"AllocateAndInitializeSid");
    const bool same = EqualSid(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, system) != FALSE;
    FreeSid(system);
    return same;
}

}  // namespace

TokenRights Win32Processes::Rights() {
    HANDLE h = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &h)) ThrowLastError(L"OpenProcessToken");
    const OwnedHandle token(h);
    TokenRights rights{std::nullopt, false};
    // TokenElevation is Vista's: XP's GetTokenInformation refuses the class it does not know.
    constexpr auto TokenElevationClass = static_cast<TOKEN_INFORMATION_CLASS>(20);
    DWORD elevation = 0, size = 0;
    if (GetTokenInformation(h, TokenElevationClass, &elevation, sizeof elevation, &size))
        rights.elevated = elevation != 0;
    else if (GetLastError() != ERROR_INVALID_PARAMETER) ThrowLastError(L"GetTokenInformation");
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(
            &nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators))
        ThrowLastError(L"AllocateAndInitializeSid");
    BOOL member = FALSE;
    const BOOL checked = CheckTokenMembership(nullptr, administrators, &member);
    const DWORD error = GetLastError();
    FreeSid(administrators);
    if (!checked) throw Failure(error, L"CheckTokenMembership");
    rights.administrator = member != FALSE;
    rights.localSystem = IsLocalSystem(h);
    return rights;
}

std::int32_t Win32RebootCalls::GetVersionExA(OsVersionInfo& info) {
    return ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info));
}

RebootCalls::Handle Win32RebootCalls::GetCurrentProcess() { return reinterpret_cast<Handle>(::GetCurrentProcess()); }

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
    std::uint32_t bufferLength, PrivilegeRecord& previousState, std::uint32_t& returnLength) {
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

std::uint32_t Win32RebootCalls::GetLastError() { return ::GetLastError(); }

std::optional<std::int32_t> Win32DllSearch::SetDefaultDllDirectories(std::uint32_t flags) {
    const auto set = NewerKernelCall<BOOL(WINAPI*)(DWORD)>("SetDefaultDllDirectories");
    return set ? std::optional<std::int32_t>(set(flags)) : std::nullopt;
}

std::optional<std::int32_t> Win32DllSearch::SetDllDirectoryW(const wchar_t* folder) {
    const auto set = NewerKernelCall<BOOL(WINAPI*)(const wchar_t*)>("SetDllDirectoryW");
    return set ? std::optional<std::int32_t>(set(folder)) : std::nullopt;
}

std::uint32_t Win32DllSearch::GetLastError() { return ::GetLastError(); }
