// A run without a window: the usage, or the action with its log line and its RESULT line.
#include "console/CommandLine.h"
#include "console/ConsoleMessages.h"
#include "console/ConsoleOutput.h"
#include "console/ExitCode.h"
#include "console/ResultLine.h"
#include "console/RunEvent.h"
#include "console/RunLog.h"
#include "console/RunReport.h"
#include "console/Shares.h"
#include "console/Workflow.h"

namespace {

// The usage, asked for or after a mistake, on the console with its RESULT line. Where there is
// no console, a message box only when it was asked for: a mistyped switch in a script nobody
// watches must not wait for an answer.
ExitCode ShowUsage(const Platform& s, Command::Action action) {
    const ExitCode code = action == Command::Usage ? ExitCode::Done : ExitCode::InvalidSwitch;
    if (!s.console.Available()) {
        if (action == Command::Usage) s.ui.MsgBox(UsageText, vbOKOnly + vbInformation, L"");
        return code;
    }
    ConsoleOutput out(s.console);
    out.Say(UsageText);
    out.Say(ResultLine({}, code));
    return code;
}

const wchar_t* ActionName(Command::Action action) {
    return action == Command::Check ? L"check" : action == Command::Repair ? L"repair" : L"restore";
}

}  // namespace

int RunCommand(const Platform& s, const Command& c) {
    if (c.action == Command::Usage || c.action == Command::Invalid) return static_cast<int>(ShowUsage(s, c.action));
    ConsoleOutput out(s.console, !c.json);
    LogFields log;
    log.action = ActionName(c.action);
    ResultFields result;
    RunReport report;
    ExitCode code;
    const ShareGuard shares(s, {c.allow, c.restoreFrom, c.log});
    try {
        code = Workflow(s, c, shares, out, log, result, report).Run();
    } catch (const Failure& f) {
        code = FailedWith(f.Code());
        const std::wstring said = FailureWords(s.env, f);  // the file, and what became of it
        log.AddResult(said);
        report.errors.push_back({f.Code(), said});
        out.Say(said);
    }
    if (!c.log.empty()) {
        if (out.LostWith()) log.outputLost = OutputLostNote(ErrorWords(s.env, out.LostWith()));
        const std::optional<std::wstring> refused = shares.Refusal(c.log);
        const std::optional<NotLogged> notLogged =
            refused ? NotLogged{win::ErrorNetworkAccessDenied, *refused} : AppendToLog(s, c.log, log, code);
        if (notLogged) {
            const std::wstring said = LogNotWritten(notLogged->why, Printable(c.log));
            report.errors.push_back({notLogged->code, said});
            out.Say(said);
        }
    }
    if (c.eventLog) ReportRun(s, out, report, result, code, log);  // its failure said before the RESULT line, the last
    if (c.json) out.Write(JsonReport(report, log, result, code, s.cp));
    else out.Say(ResultLine(result, code));
    return static_cast<int>(code);
}
