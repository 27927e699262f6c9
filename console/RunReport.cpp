#include "console/RunReport.h"

#include "console/Json.h"

namespace {

// The schema's version: a new key leaves it; a key renamed, removed or changed in meaning moves it.
constexpr std::uint64_t SchemaVersion = 1;

constexpr const wchar_t* KindNames[] = {L"redirect", L"block-security", L"block"};

std::optional<std::wstring> PathOrNull(const std::wstring& path) {
    return path.empty() ? std::nullopt : std::optional(path);
}

Json Texts(const std::vector<std::wstring>& texts) {
    Json array = Json::Array();
    for (const std::wstring& text : texts) array.Push(text);
    return array;
}

Json Entry(const EntryRecord& e, const Codepage& cp) {
    Json names = Json::Array();
    for (const std::string& name : e.names) names.Push(cp.ToWide(name));
    return Json::Object()
        .AddNumber(L"line", e.line)
        .Add(L"address", cp.ToWide(e.address))
        .Add(L"names", names)
        .Add(L"kind", KindNames[static_cast<std::size_t>(e.kind)])
        .AddFlag(L"accountSite", e.accountSite);
}

Json File(const FileReport& f, const Codepage& cp) {
    Json counts = Json::Object(), entries = Json::Array();
    for (std::size_t kind = 0; kind < std::size(KindNames); ++kind)
        counts.AddNumber(KindNames[kind], f.tally.count[kind]);
    for (const EntryRecord& e : f.records) entries.Push(Entry(e, cp));
    return Json::Object()
        .Add(L"path", f.path)
        .AddFlag(L"exists", f.exists)
        .AddNumber(L"entryCount", f.entries)
        .Add(L"counts", counts)
        .AddNumber(L"accountRedirects", f.tally.accountRedirects)
        .Add(L"entries", entries)
        .AddNumber(L"entriesNotListed", f.entries - f.records.size());
}

Json FileOrNull(const std::optional<FileReport>& f, const Codepage& cp) { return f ? File(*f, cp) : Json::Null(); }

Json Findings(const RunReport& r) {
    Json findings = Json::Array();
    for (std::size_t i = 0; i < r.lookup.findings.size(); ++i) {
        const Finding& f = r.lookup.findings[i];
        findings.Push(Json::Object()
                          .Add(L"kind", KindWord(f.kind))
                          .Add(L"where", f.where)
                          .Add(L"value", f.value)
                          .Add(L"besides", f.besides)
                          .AddFlag(L"undoable", f.undo.has_value())
                          .AddFlag(L"undone", i < r.undone.size() && r.undone[i]));
    }
    return findings;
}

Json Errors(const std::vector<RunError>& errors) {
    Json array = Json::Array();
    for (const RunError& e : errors) array.Push(Json::Object().AddNumber(L"code", e.code).Add(L"text", e.words));
    return array;
}

}  // namespace

std::wstring JsonReport(
    const RunReport& r, const LogFields& log, const ResultFields& fields, ExitCode code, const Codepage& cp) {
    const Json result = Json::Object()
                            .Add(L"hosts", HostsWord(fields.hosts))
                            .Add(L"redirected", RedirectedWord(fields.redirected))
                            .Add(L"other", fields.other.value_or(L"unchecked"))
                            .Add(L"changed", ChangedWord(fields.changed))
                            .AddNumber(L"exit", static_cast<std::uint32_t>(code));
    return Json::Object()
        .AddNumber(L"schema", SchemaVersion)
        .Add(L"action", log.action)
        .Add(L"result", result)
        .AddOrNull(L"hostsPath", PathOrNull(log.hostsPath))
        .Add(L"hosts", FileOrNull(r.hosts, cp))
        .Add(L"redirectedHosts", FileOrNull(r.redirected, cp))
        .Add(L"findings", Findings(r))
        .Add(L"unread", Texts(r.lookup.notes))
        .AddOrNull(L"copy", PathOrNull(log.backup))
        .AddOrNull(L"regFile", PathOrNull(r.regFile))
        .Add(L"profileCopies", Texts(r.profileCopies))
        .Add(L"results", Texts(log.results))
        .Add(L"errors", Errors(r.errors))
        .Text();
}
