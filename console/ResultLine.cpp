#include "console/ResultLine.h"

std::wstring ResultLine(const ResultFields& fields, ExitCode code) {
    static constexpr const wchar_t* HostsWords[] = {L"unchecked", L"clean", L"modified", L"missing"};
    static constexpr const wchar_t* ChangedWords[] = {L"no", L"yes", L"pending"};
    const wchar_t* redirected = fields.redirected ? (*fields.redirected ? L"yes" : L"no") : L"unchecked";
    return std::wstring(L"RESULT hosts=") + HostsWords[static_cast<int>(fields.hosts)] + L" redirected=" + redirected +
           L" other=" + fields.other.value_or(L"unchecked") + L" changed=" +
           ChangedWords[static_cast<int>(fields.changed)] + L" exit=" + std::to_wstring(static_cast<int>(code));
}
