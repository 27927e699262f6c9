#include "console/RunLog.h"

#include <cstdio>
#include <memory>

#include "app/AppInfo.h"
#include "console/ConsoleMessages.h"
#include "hosts/HostsStore.h"

namespace {

std::wstring TimeField(const LocalTime& t) {
    const int offset = t.utcOffsetMinutes < 0 ? -t.utcOffsetMinutes : t.utcOffsetMinutes;
    wchar_t stamp[40];
    std::swprintf(stamp, 40, L"%04d-%02d-%02dT%02d:%02d:%02d%lc%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
        t.second, t.utcOffsetMinutes < 0 ? L'-' : L'+', offset / 60, offset % 60);
    return stamp;
}

std::wstring VersionField() {
    wchar_t version[32];
    std::swprintf(version, 32, L"%u.%u.%u", ThisApp.major, ThisApp.minor, ThisApp.revision);
    return version;
}

// The log, opened as it is at its path: a program that holds it for a moment is waited for.
std::unique_ptr<OutputFile> OpenLog(const Platform& s, const std::wstring& path, FileFacts& facts) {
    for (int attempt = 1;; ++attempt) {
        try {
            return s.files.OpenToAppend(path, facts);
        } catch (const Failure& f) {
            if (!HeldByAnother(f) || attempt == HeldAttempts) throw;
        }
        s.clock.Sleep(HeldPauseMs);
    }
}

// The elevated run appends only to the plain file that the name seems to be: a link, or a second
// name of another file, would have it write wherever its maker chose. Nothing: such a file.
const wchar_t* NotAPlainFile(const FileFacts& facts) {
    if (!facts.disk) return LogNotOnDisk;
    if (facts.attributes & win::FileAttributeReparsePoint) return LogIsLink;
    if (facts.attributes & win::FileAttributeDirectory) return LogIsFolder;
    if (facts.links > 1) return LogHasNames;
    return nullptr;
}

}  // namespace

std::wstring LogLine(const LogFields& fields, const LocalTime& time, const std::wstring& computer, ExitCode code) {
    std::wstring results;
    for (const std::wstring& result : fields.results) results += (results.empty() ? L"" : L"; ") + result;
    std::wstring line;
    for (const std::wstring& field : {TimeField(time), computer, VersionField(), std::wstring(fields.action),
             fields.hostsPath.empty() ? L"-" : fields.hostsPath,
             fields.entries ? std::to_wstring(*fields.entries) : L"-", std::to_wstring(static_cast<int>(code)),
             results + fields.outputLost, fields.backup.empty() ? L"-" : fields.backup})
        line += (line.empty() ? L"" : L"\t") + Printable(field);
    return line + L"\r\n";
}

std::optional<NotLogged> AppendToLog(
    const Platform& s, const std::wstring& path, const LogFields& fields, ExitCode code) {
    try {
        FileFacts facts;
        const std::unique_ptr<OutputFile> log = OpenLog(s, path, facts);
        if (const wchar_t* why = NotAPlainFile(facts)) return NotLogged{0, why};
        log->Write(Utf8(LogLine(fields, s.clock.Now(), s.env.ComputerName(), code)));
        log->Close();
    } catch (const Failure& f) {
        return NotLogged{f.Code(), ErrorSaid(f.Code(), s.env.ErrorText(f.Code()))};
    }
    return std::nullopt;
}
