// A run without a window: the usage, or the action with its log line and its RESULT line.
#include "console/CommandLine.h"
#include "console/ConsoleMessages.h"
#include "console/ConsoleOutput.h"
#include "console/ExitCode.h"
#include "console/ResultLine.h"
#include "console/RunLog.h"
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
    ConsoleOutput out(s.console);
    LogFields log;
    log.action = ActionName(c.action);
    ResultFields result;
    ExitCode code;
    const ShareGuard shares(s, {c.allow, c.restoreFrom, c.log});
    try {
        code = Workflow(s, c, shares, out, log, result).Run();
    } catch (const Failure& f) {
        code = FailedWith(f.Code());
        const std::wstring said = FailureWords(s.env, f);  // the file, and what became of it
        log.AddResult(said);
        out.Say(said);
    }
    if (!c.log.empty()) {
        if (out.LostWith()) log.results += OutputLostNote(ErrorWords(s.env, out.LostWith()));
        const std::optional<std::wstring> refused = shares.Refusal(c.log);
        const std::wstring notLogged = refused ? *refused : AppendToLog(s, c.log, log, code);
        if (!notLogged.empty()) out.Say(LogNotWritten(notLogged, Printable(c.log)));
    }
    out.Say(ResultLine(result, code));
    return static_cast<int>(code);
}
