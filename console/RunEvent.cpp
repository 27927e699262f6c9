#include "console/RunEvent.h"

#include "console/ConsoleMessages.h"

namespace {

std::wstring EventText(const std::wstring& resultLine, const LogFields& log) {
    return resultLine + L"\r\n" + (log.entries ? EntriesSaid(*log.entries) : std::wstring(EntriesUncounted)) + L"\r\n" +
           (log.findings ? FindingsSaid(*log.findings) : std::wstring(PlacesUnchecked));
}

}  // namespace

RunEvent EventOf(ExitCode code, Changed changed) {
    switch (code) {
        case ExitCode::Done:
            return changed == Changed::Yes ? RunEvent::Repaired : RunEvent::Clean;
        case ExitCode::Found:
            return RunEvent::Found;
        case ExitCode::AtRestart:
            return RunEvent::Pending;
        default:
            return RunEvent::Error;
    }
}

EventType TypeOf(RunEvent event) {
    switch (event) {
        case RunEvent::Clean:
        case RunEvent::Repaired:
            return EventType::Information;
        case RunEvent::Found:
        case RunEvent::Pending:
            return EventType::Warning;
        default:
            return EventType::Error;
    }
}

std::wstring ReportRun(
    const Platform& s, ExitCode code, Changed changed, const std::wstring& resultLine, const LogFields& log) {
    const RunEvent event = EventOf(code, changed);
    try {
        const std::uint32_t unregistered =
            s.events.Report(static_cast<std::uint32_t>(event), TypeOf(event), EventText(resultLine, log));
        return unregistered ? SourceNotRegistered(ErrorSaid(unregistered, s.env.ErrorText(unregistered))) : L"";
    } catch (const Failure& f) {
        return EventNotWritten(ErrorSaid(f.Code(), s.env.ErrorText(f.Code())));
    }
}
