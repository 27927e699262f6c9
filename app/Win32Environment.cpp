// What the running system says of itself, its clock, its code page, and how a failed call becomes
// a Failure.
#include "app/Win32Platform.h"

#include <shlobj.h>

void ThrowLastError(const std::wstring& subject) { throw Failure(GetLastError(), subject); }

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

namespace {

// A folder the system gives through a call of the GetSystemDirectory kind.
std::wstring SystemFolder(UINT(WINAPI* get)(LPWSTR, UINT), const wchar_t* what) {
    wchar_t folder[MAX_PATH];
    const UINT n = get(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) ThrowLastError(what);
    return std::wstring(folder, n);
}

}  // namespace

std::wstring Win32Environment::WindowsDirectory() {
    return SystemFolder(GetSystemWindowsDirectoryW, L"GetSystemWindowsDirectoryW");
}

std::wstring Win32Environment::SystemDirectory() { return SystemFolder(GetSystemDirectoryW, L"GetSystemDirectoryW"); }

SystemDll::SystemDll(const wchar_t* name) : path_(Win32Environment().SystemDirectory() + L"\\" + name) {
    module_ = LoadLibraryExW(path_.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module_) ThrowLastError(path_);
}

// The join information is netapi32's, loaded from the system folder when it is asked for.
bool Win32Environment::InDomain() {
    const SystemDll netapi(L"netapi32.dll");
    const auto get = netapi.Get<DWORD(WINAPI*)(LPCWSTR, LPWSTR*, int*)>("NetGetJoinInformation");
    const auto free = netapi.Get<DWORD(WINAPI*)(void*)>("NetApiBufferFree");
    wchar_t* name = nullptr;
    int status = 0;  // NETSETUP_JOIN_STATUS: 3 is a domain
    const DWORD error = get(nullptr, &name, &status);
    if (name) free(name);
    if (error != ERROR_SUCCESS) throw Failure(error, L"NetGetJoinInformation");
    return status == 3;
}

// The shell's own answer, never a variable the user can set.
std::wstring Win32Environment::UserAppData() {
    wchar_t folder[MAX_PATH] = {};
    const HRESULT result = SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    if (result != S_OK) throw Failure(static_cast<std::uint32_t>(result), L"SHGetFolderPathW CSIDL_APPDATA");
    return folder;
}

namespace {

#ifndef _WIN64
// A 32-bit process on 64-bit Windows; IsWow64Process is XP SP2's, looked up at run time.
bool UnderWow64() {
    const auto query = NewerKernelCall<BOOL(WINAPI*)(HANDLE, PBOOL)>("IsWow64Process");
    BOOL wow64 = FALSE;
    return query && query(GetCurrentProcess(), &wow64) && wow64;
}
#endif

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

// Sysnative is no real folder: WOW64 shows it to 32-bit processes alone, and only its attributes
// tell whether it is there.
std::wstring Win32Environment::SystemFolderOf(int bits) {
    constexpr int own = sizeof(void*) * 8;
    if (bits == own) return SystemDirectory();
#ifdef _WIN64
    wchar_t wow64[MAX_PATH];
    const UINT n = GetSystemWow64DirectoryW(wow64, MAX_PATH);
    const std::wstring folder = n && n < MAX_PATH ? std::wstring(wow64, n) : L"";
#else
    const std::wstring folder = UnderWow64() ? WindowsDirectory() + L"\\Sysnative" : L"";
#endif
    return !folder.empty() && IsFolder(folder) ? folder : L"";
}

std::wstring Win32Environment::ComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &size)) ThrowLastError(L"GetComputerNameW");
    return std::wstring(name, size);
}

std::wstring Win32Environment::ErrorText(std::uint32_t code) {
    wchar_t* text = nullptr;
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result = n ? std::wstring(text, n) : L"Неизвестная ошибка.";
    LocalFree(text);
    while (!result.empty() && (result.back() == L'\r' || result.back() == L'\n' || result.back() == L' '))
        result.pop_back();
    return result;
}

LocalTime Win32Clock::Now() {
    // One instant, read once, and turned into local time with the offset in force at that
    // instant: the fields and the offset cannot come from either side of a change of time.
    FILETIME utc, local;
    GetSystemTimeAsFileTime(&utc);
    SYSTEMTIME t;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &t))
        ThrowLastError(L"FileTimeToLocalFileTime");
    const auto ticks = [](const FILETIME& f) {
        return static_cast<std::int64_t>(std::uint64_t{f.dwHighDateTime} << 32 | f.dwLowDateTime);
    };
    constexpr std::int64_t TicksPerMinute = 600'000'000;  // of 100 ns
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
        static_cast<int>((ticks(local) - ticks(utc)) / TicksPerMinute)};
}

void Win32Clock::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }
