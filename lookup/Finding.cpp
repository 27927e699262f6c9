#include "lookup/Finding.h"

#include <algorithm>

#include "lookup/LookupMessages.h"

namespace {

constexpr const wchar_t* KindWords[] = {L"ics", L"proxy", L"pac", L"proxylock", L"winhttp", L"dns", L"nrpt", L"winsock",
    L"route", L"doh", L"browser", L"firefox"};

}  // namespace

const wchar_t* KindWord(FindingKind kind) { return KindWords[static_cast<std::size_t>(kind)]; }

std::wstring Words(const Finding& f) {
    const std::wstring tail = f.undo ? std::wstring(OnThisComputer) : ResetWords(f.reset);
    switch (f.kind) {
        case FindingKind::Ics:
            return f.more ? IcsMoreLine(f.more) : IcsEntryLine(f.value);
        case FindingKind::Proxy:
            return ProxyLine(f.where, f.value, tail);
        case FindingKind::Pac:
            return ScriptLine(f.where, f.value, tail);
        case FindingKind::ProxyLock:
            return ProxyLockLine(tail);
        case FindingKind::WinHttp:
            return WinHttpLine(f.where, f.damaged, f.value, f.besides, tail);
        case FindingKind::Dns:
            return NameServersLine(f.where, f.value, tail);
        case FindingKind::Nrpt:
            return NrptLine(f.where, f.inactive, f.value, f.besides, f.reset);
        case FindingKind::Winsock:
            return WinsockLine(f.where, f.value, f.besides, tail);
        case FindingKind::Route:
            return RouteLine(f.value, tail);
        case FindingKind::Doh:
            return DohLine(f.where, f.value, f.besides, tail);
        case FindingKind::BrowserPolicy:
            return BrowserPolicyLine(f.where, f.value, f.besides, f.undo ? UnmanagedPolicy : L" (" + f.reset + L")");
        case FindingKind::Firefox:
            return FirefoxLine(f.where, f.besides, f.value, f.undo ? OnThisComputer : f.reset);
    }
    return f.value;
}

std::wstring OtherField(const LookupReport& report) {
    std::wstring field;
    const auto add = [&](const wchar_t* word) { field += (field.empty() ? L"" : L",") + std::wstring(word); };
    for (std::size_t kind = 0; kind < std::size(KindWords); ++kind)
        if (std::any_of(report.findings.begin(), report.findings.end(),
                [&](const Finding& f) { return static_cast<std::size_t>(f.kind) == kind; }))
            add(KindWord(static_cast<FindingKind>(kind)));
    if (!report.notes.empty()) add(L"unread");
    return field.empty() ? L"none" : field;
}
