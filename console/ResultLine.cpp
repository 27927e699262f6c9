#include "console/ResultLine.h"

const wchar_t* HostsWord(HostsState state) {
    static constexpr const wchar_t* Words[] = {L"unchecked", L"clean", L"modified", L"missing"};
    return Words[static_cast<int>(state)];
}

const wchar_t* RedirectedWord(const std::optional<bool>& redirected) {
    return redirected ? (*redirected ? L"yes" : L"no") : L"unchecked";
}

const wchar_t* ChangedWord(Changed changed) {
    static constexpr const wchar_t* Words[] = {L"no", L"yes", L"pending"};
    return Words[static_cast<int>(changed)];
}

std::wstring ResultLine(const ResultFields& fields, ExitCode code) {
    return std::wstring(L"RESULT hosts=") + HostsWord(fields.hosts) + L" redirected=" +
           RedirectedWord(fields.redirected) + L" other=" + fields.other.value_or(L"unchecked") + L" changed=" +
           ChangedWord(fields.changed) + L" exit=" + std::to_wstring(static_cast<int>(code));
}
