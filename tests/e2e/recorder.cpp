// A stand-in for the programs that hostovik.exe starts (route, the system information tool,
// the web browser, Wine's restart helper): it appends one line to the file named by
// %E2E_RECORD%: its own path | its command line | the show command it was given (-1: none) |
// the folder it was started in; then "|backup privilege enabled" if the program that started it
// passed that on.
#include <windows.h>

#include <string>

bool BackupPrivilegeEnabled() {
    PRIVILEGE_SET backup{1, PRIVILEGE_SET_ALL_NECESSARY, {{{0, 0}, 0}}};
    HANDLE token = nullptr;
    BOOL enabled = FALSE;
    return LookupPrivilegeValueW(nullptr, SE_BACKUP_NAME, &backup.Privilege[0].Luid) &&
           ImpersonateSelf(SecurityImpersonation) && OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token) &&
           PrivilegeCheck(token, &backup, &enabled) && enabled;
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH] = {}, record[MAX_PATH] = {}, folder[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    GetCurrentDirectoryW(MAX_PATH, folder);
    if (!GetEnvironmentVariableW(L"E2E_RECORD", record, MAX_PATH)) return 2;
    STARTUPINFOW si{};
    GetStartupInfoW(&si);
    const int show = si.dwFlags & STARTF_USESHOWWINDOW ? si.wShowWindow : -1;
    const std::wstring line = self + (L"|" + std::wstring(GetCommandLineW())) + L"|" + std::to_wstring(show) + L"|" +
                              folder + (BackupPrivilegeEnabled() ? L"|backup privilege enabled\n" : L"\n");
    std::string utf8(line.size() * 3, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), utf8.data(),
        static_cast<int>(utf8.size()), nullptr, nullptr));
    // Another recorder may be writing: tried again for a minute, long enough for a busy machine.
    for (const ULONGLONG until = GetTickCount64() + 60000; GetTickCount64() < until; Sleep(10)) {
        const HANDLE f = CreateFileW(record, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
        if (f == INVALID_HANDLE_VALUE) continue;
        DWORD written = 0;
        WriteFile(f, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
        CloseHandle(f);
        return 0;
    }
    return 1;
}
