// The Application event log: this program's source, registered where it is not yet, and its entries.
#include "app/Win32Platform.h"

namespace {

constexpr wchar_t Source[] = L"Hostovik";
constexpr wchar_t SourceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Hostovik";
constexpr wchar_t MessageFile[] = L"EventMessageFile";

// This program's own full path, whose message table (app/events.mc) gives each entry its text.
std::wstring OwnPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        // XP truncates a longer path without saying so: a full buffer is read again, larger.
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) ThrowLastError(L"GetModuleFileNameW");
        if (n < path.size()) return path.substr(0, n);
        path.resize(path.size() * 2);
    }
}

bool Registered() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, SourceKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    const LSTATUS found = RegQueryValueExW(key, MessageFile, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return found == ERROR_SUCCESS;
}

// Its message file written last: a key left half-written is registered again by the next run.
LSTATUS WriteSource(HKEY key) {
    const DWORD types = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
    const LSTATUS typed =
        RegSetValueExW(key, L"TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&types), sizeof types);
    if (typed != ERROR_SUCCESS) return typed;
    const std::wstring path = OwnPath();
    return RegSetValueExW(key, MessageFile, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
        static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
}

// Writing the source's key takes administrator rights. Without them the entry is reported all the
// same, and the Event Viewer shows its text with a note that the source's description is missing:
// the error is returned to be told, never to stop the report.
std::uint32_t RegisterWhereNot() {
    if (Registered()) return ERROR_SUCCESS;
    HKEY key = nullptr;
    const LSTATUS created = RegCreateKeyExW(
        HKEY_LOCAL_MACHINE, SourceKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (created != ERROR_SUCCESS) return created;
    const LSTATUS written = WriteSource(key);
    RegCloseKey(key);
    return written;
}

}  // namespace

std::uint32_t Win32EventLog::Report(std::uint32_t eventId, EventType type, const std::wstring& text) {
    const std::uint32_t unregistered = RegisterWhereNot();
    const HANDLE source = RegisterEventSourceW(nullptr, Source);
    if (!source) ThrowLastError(L"RegisterEventSourceW");
    static constexpr WORD Types[] = {EVENTLOG_INFORMATION_TYPE, EVENTLOG_WARNING_TYPE, EVENTLOG_ERROR_TYPE};
    const wchar_t* strings[] = {text.c_str()};
    const BOOL reported =
        ReportEventW(source, Types[static_cast<int>(type)], 0, eventId, nullptr, 1, 0, strings, nullptr);
    const DWORD error = GetLastError();
    const BOOL closed = DeregisterEventSource(source);
    if (!reported) throw Failure(error, L"ReportEventW");
    if (!closed) ThrowLastError(L"DeregisterEventSource");
    return unregistered;
}
