#include "console/RunEvent.h"

#include "console/ConsoleMessages.h"
#include "console/Workflow.h"

RunEvent EventOf(const ResultFields& fields, ExitCode code) {
    switch (code) {
        case ExitCode::Done:
            return fields.changed == Changed::No ? RunEvent{EventId::Clean, win::EventInformation}
                                                 : RunEvent{EventId::Repaired, win::EventInformation};
        case ExitCode::Found:
            return {EventId::Found, win::EventWarning};
        case ExitCode::AtRestart:
            return {EventId::Pending, win::EventWarning};
        default:
            return {EventId::Error, win::EventError};
    }
}

void ReportRun(const Platform& s, ConsoleOutput& out, RunReport& report, const ResultFields& fields, ExitCode code,
    const LogFields& log) {
    const RunEvent event = EventOf(fields, code);
    const std::optional<std::size_t> findings =
        fields.other ? std::optional(report.lookup.findings.size()) : std::nullopt;
    const std::wstring text = ResultLine(fields, code) + L"\r\n" + EventCounts(log.entries, findings);
    std::optional<RunError> error;
    try {
        if (const std::uint32_t unregistered = s.events.Report(event.type, static_cast<std::uint32_t>(event.id), text))
            error = {unregistered, SourceNotRegistered(ErrorWords(s.env, unregistered))};
    } catch (const Failure& f) {
        error = {f.Code(), EventNotWritten(FailureWords(s.env, f))};
    }
    if (!error) return;
    report.errors.push_back(*error);
    out.Say(error->words);
}
