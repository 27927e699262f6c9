// The Application event log: this program's source, registered where it is not yet, and its entries.
#include "app/Win32Platform.h"

namespace {

constexpr wchar_t Source[] = L"Hostovik";
constexpr wchar_t SourceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Hostovik";
constexpr wchar_t MessageFile[] = L"EventMessageFile";
constexpr DWORD LongestPath = 32768;

// This program's own file, whose message table (app/events.mc) gives each entry its text: never
// a path from the environment, which the user's code could set for an elevated run.
std::wstring OwnPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        // A full buffer may hold a cut path (XP says nothing of it): read again into a larger one.
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) ThrowLastError(L"GetModuleFileNameW");
        if (n < path.size() || path.size() >= LongestPath) return path.substr(0, n);
        path.resize(path.size() * 2);
    }
}

// The values of a new source: its message table last, so that a key whose values could not all be
// written is registered again by the next run, which looks for that value.
LSTATUS WriteSource(HKEY key) {
    const DWORD types = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
    const LSTATUS typed =
        RegSetValueExW(key, L"TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&types), sizeof types);
    if (typed != ERROR_SUCCESS) return typed;
    const std::wstring path = OwnPath();
    return RegSetValueExW(key, MessageFile, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
        static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
}

// Writing the source's key takes administrator rights; without them the entry is written all the
// same, and the Event Viewer shows its text with a note that the description is missing. The
// error is returned to be told, never to stop the entry.
LSTATUS RegisterWhereNot() {
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, SourceKey, 0, KEY_QUERY_VALUE, &key);
    if (status == ERROR_SUCCESS) {
        status = RegQueryValueExW(key, MessageFile, nullptr, nullptr, nullptr, nullptr);
        RegCloseKey(key);
    }
    if (status != ERROR_FILE_NOT_FOUND) return status;
    status = RegCreateKeyExW(
        HKEY_LOCAL_MACHINE, SourceKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return status;
    status = WriteSource(key);
    RegCloseKey(key);
    return status;
}

}  // namespace

std::uint32_t Win32EventLog::Report(std::uint16_t type, std::uint32_t id, std::wstring_view text) {
    const std::uint32_t unregistered = RegisterWhereNot();
    const HANDLE source = RegisterEventSourceW(nullptr, Source);
    if (!source) ThrowLastError(L"RegisterEventSourceW");
    const std::wstring string(text);
    const wchar_t* strings[] = {string.c_str()};
    const BOOL reported = ReportEventW(source, type, 0, id, nullptr, 1, 0, strings, nullptr);
    const DWORD error = GetLastError();
    const BOOL closed = DeregisterEventSource(source);
    if (!reported) throw Failure(error, L"ReportEventW");
    if (!closed) ThrowLastError(L"DeregisterEventSource");
    return unregistered;
}
