#include "lookup/FirefoxPrefs.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>

#include "app/Ascii.h"
#include "app/Codepage.h"
#include "lookup/ProxyRules.h"

namespace {

constexpr int Manual = 1, Script = 2, Detect = 4;  // network.proxy.type

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWordChar(char c) { return IsDigit(c) || c == '_' || (AsciiLower(c) >= 'a' && AsciiLower(c) <= 'z'); }
bool IsQuote(char c) { return c == '"' || c == '\''; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
bool IsInteger(std::string_view text) {
    if (text.starts_with('-')) text.remove_prefix(1);
    return !text.empty() && std::ranges::all_of(text, IsDigit);
}

// The text's lines, each with its line break ("\n" or "\r\n") if it has one.
std::vector<std::string_view> LinesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size() - 1) + 1;
        lines.push_back(text.substr(at, end - at));
        at = end;
    }
    return lines;
}

// A statement read, with the line it ends on, so that removing it removes all of it.
struct Statement {
    FirefoxPref pref;
    std::size_t lastLine;
};
struct Statements {
    std::vector<Statement> read;
    std::vector<std::size_t> damaged;
};

// Statements of tokens, with whitespace and comments between any two, as Firefox reads them.
class PrefsReader {
public:
    explicit PrefsReader(std::string_view file) : file_(file) {}
    Statements ReadAll();

private:
    bool AtEnd() const { return at_ == file_.size(); }
    bool Ahead(std::string_view text) const { return file_.substr(at_).starts_with(text); }
    char Next();
    void AdvanceTo(std::size_t end);
    void SkipBlank();
    void ResumeAfterLine(std::size_t start, std::size_t line);
    bool Take(char c);
    std::string_view TakeWord();
    bool ReadStatement(FirefoxPref& pref);
    bool ReadValue(std::string& value);
    bool ReadString(std::string& text);
    bool ReadEscape(std::string& text);
    bool ReadUnits(std::size_t digits, std::string& text);
    bool ReadHex(std::size_t digits, wchar_t& unit);

    std::string_view file_;
    std::size_t at_ = 0, line_ = 1;
};

char PrefsReader::Next() {
    const char c = file_[at_++];
    if (c == '\n') ++line_;
    return c;
}

void PrefsReader::AdvanceTo(std::size_t end) {
    while (at_ < end) Next();
}

// A block comment never closed is left where it starts, for the statement there to fail on.
void PrefsReader::SkipBlank() {
    while (!AtEnd()) {
        const std::size_t close = Ahead("/*") ? file_.find("*/", at_ + 2) : file_.npos;
        if (IsBlank(file_[at_])) Next();
        else if (file_[at_] == '#' || Ahead("//")) AdvanceTo(std::min(file_.find('\n', at_), file_.size()));
        else if (close != file_.npos) AdvanceTo(close + 2);
        else return;
    }
}

// Past a damaged statement the next line is read on: the rest of this one cannot be trusted.
void PrefsReader::ResumeAfterLine(std::size_t start, std::size_t line) {
    at_ = std::min(file_.find('\n', start), file_.size() - 1) + 1;
    line_ = line + 1;
}

bool PrefsReader::Take(char c) {
    SkipBlank();
    if (AtEnd() || file_[at_] != c) return false;
    Next();
    return true;
}

std::string_view PrefsReader::TakeWord() {
    const std::size_t start = at_;
    while (!AtEnd() && IsWordChar(file_[at_])) Next();
    return file_.substr(start, at_ - start);
}

Statements PrefsReader::ReadAll() {
    Statements statements;
    for (SkipBlank(); !AtEnd(); SkipBlank()) {
        const std::size_t start = at_;
        Statement statement{.pref = {.line = line_}, .lastLine = line_};
        if (ReadStatement(statement.pref)) {
            statement.lastLine = line_;
            statements.read.push_back(std::move(statement));
        } else {
            statements.damaged.push_back(statement.pref.line);
            ResumeAfterLine(start, statement.pref.line);
        }
    }
    return statements;
}

bool PrefsReader::ReadStatement(FirefoxPref& pref) {
    const std::string_view call = TakeWord();
    return (call == "user_pref" || call == "pref" || call == "sticky_pref") && Take('(') && ReadString(pref.name) &&
           Take(',') && ReadValue(pref.value) && Take(')') && Take(';');
}

bool PrefsReader::ReadValue(std::string& value) {
    SkipBlank();
    if (!AtEnd() && IsQuote(file_[at_])) return ReadString(value);
    value.clear();
    if (!AtEnd() && file_[at_] == '-') value += Next();
    value += TakeWord();
    return value == "true" || value == "false" || IsInteger(value);
}

bool PrefsReader::ReadString(std::string& text) {
    SkipBlank();
    if (AtEnd() || !IsQuote(file_[at_])) return false;
    const char quote = Next();
    text.clear();
    while (!AtEnd()) {
        const char c = Next();
        if (c == quote) return true;
        if (c == '\n') return false;  // Firefox writes a line break as \n: a bare one ends a string never closed
        if (c != '\\') text += c;
        else if (!ReadEscape(text)) return false;
    }
    return false;
}

bool PrefsReader::ReadEscape(std::string& text) {
    if (AtEnd()) return false;
    const char c = Next();
    if (c == '"' || c == '\'' || c == '\\') text += c;
    else if (c == 'n') text += '\n';
    else if (c == 'r') text += '\r';
    else if (c == 't') text += '\t';
    else if (c == 'x') return ReadUnits(2, text);
    else if (c == 'u') return ReadUnits(4, text);
    else return false;
    return true;
}

// \xHH and \uHHHH are UTF-16 units: a character beyond U+FFFF is a pair of \u escapes, and half
// a pair becomes U+FFFD.
bool PrefsReader::ReadUnits(std::size_t digits, std::string& text) {
    std::wstring units(1, L'\0');
    if (!ReadHex(digits, units[0])) return false;
    if (units[0] >= 0xD800 && units[0] < 0xDC00 && Ahead("\\u")) {
        AdvanceTo(at_ + 2);
        units += L'\0';
        if (!ReadHex(4, units[1])) return false;
    }
    text += Utf8(units);
    return true;
}

bool PrefsReader::ReadHex(std::size_t digits, wchar_t& unit) {
    if (file_.size() - at_ < digits) return false;
    const char* const first = file_.data() + at_;
    unsigned value = 0;
    const auto [end, error] = std::from_chars(first, first + digits, value, 16);
    if (error != std::errc{} || end != first + digits) return false;
    AdvanceTo(at_ + digits);
    unit = static_cast<wchar_t>(value);
    return true;
}

using Values = std::map<std::string, std::string, std::less<>>;

// Each name's value in force: the last one set, user.js's after prefs.js's.
Values InForce(const FirefoxPrefs& prefs, const FirefoxPrefs& userJs) {
    Values values;
    for (const FirefoxPrefs* file : {&prefs, &userJs})
        for (const FirefoxPref& pref : file->prefs) values[pref.name] = pref.value;
    return values;
}

std::string ValueOf(const Values& values, const std::string& name) {
    const auto found = values.find(name);
    return found == values.end() ? std::string() : found->second;
}

// A number not set, or set to what is no number, is Firefox's default.
int NumberOf(const Values& values, const std::string& name, int byDefault) {
    const std::string text = ValueOf(values, name);
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc{} && end == text.data() + text.size() ? number : byDefault;
}

// A port not set is Firefox's default, 0.
std::string ServerOf(const Values& values, const std::string& scheme) {
    const std::string host = ValueOf(values, "network.proxy." + scheme);
    if (host.empty()) return {};
    const std::string port = ValueOf(values, "network.proxy." + scheme + "_port");
    return host + ":" + (port.empty() ? "0" : port);
}

// "Profile" and a number, letter case aside: [General] and [Install...] name no profile.
bool IsProfileSection(std::string_view name) {
    constexpr std::string_view Profile = "profile";
    return name.size() > Profile.size() && AsciiEqualNoCase(name.substr(0, Profile.size()), Profile) &&
           std::ranges::all_of(name.substr(Profile.size()), IsDigit);
}

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == text.npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool ClimbsOut(std::wstring_view path) {
    for (std::size_t at = 0; at <= path.size();) {
        const std::size_t end = std::min(path.find(L'\\', at), path.size());
        if (path.substr(at, end - at) == L"..") return true;
        at = end + 1;
    }
    return false;
}

struct ProfileSection {
    bool isProfile = false;
    std::string isRelative, path;
};

// The folder a profile's Path names; empty for none.
std::wstring FolderOf(const ProfileSection& section, const std::wstring& appFolder) {
    std::wstring path = FromUtf8(section.path);
    std::ranges::replace(path, L'/', L'\\');
    if (section.isRelative != "1") return IsDrivePath(path) ? path : std::wstring();
    if (path.empty() || ClimbsOut(path)) return {};
    return appFolder + (appFolder.ends_with(L'\\') ? L"" : L"\\") + path;
}

}  // namespace

void AddOnce(std::vector<std::wstring>& folders, const std::wstring& folder) {
    const auto same = [&](const std::wstring& other) { return AsciiLower(other) == AsciiLower(folder); };
    if (!folder.empty() && std::ranges::none_of(folders, same)) folders.push_back(folder);
}

FirefoxPrefs ParsePrefs(std::string_view file) {
    Statements statements = PrefsReader(file).ReadAll();
    FirefoxPrefs prefs{.damaged = std::move(statements.damaged)};
    for (Statement& statement : statements.read) prefs.prefs.push_back(std::move(statement.pref));
    return prefs;
}

FirefoxNetwork NetworkOf(const FirefoxPrefs& prefs, const FirefoxPrefs& userJs) {
    const Values values = InForce(prefs, userJs);
    FirefoxNetwork network;
    network.proxyType = NumberOf(values, "network.proxy.type", network.proxyType);
    network.http = ServerOf(values, "http");
    network.ssl = ServerOf(values, "ssl");
    network.socks = ServerOf(values, "socks");
    network.autoconfigUrl = ValueOf(values, "network.proxy.autoconfig_url");
    network.trrMode = NumberOf(values, "network.trr.mode", network.trrMode);
    network.trrUri = ValueOf(values, "network.trr.uri");
    return network;
}

bool ProxySet(const FirefoxNetwork& network) {
    const bool anyServer = !network.http.empty() || !network.ssl.empty() || !network.socks.empty();
    return (network.proxyType == Manual && anyServer) ||
           (network.proxyType == Script && !network.autoconfigUrl.empty()) || network.proxyType == Detect;
}

bool DohSet(const FirefoxNetwork& network) { return network.trrMode == 2 || network.trrMode == 3; }

bool FirefoxProxyHere(const FirefoxNetwork& network) {
    const auto here = [](const std::string& server) { return ProxyToThisComputer(FromUtf8(server)); };
    if (network.proxyType == Manual) return here(network.http) || here(network.ssl) || here(network.socks);
    return network.proxyType == Script && ScriptOnThisComputer(FromUtf8(network.autoconfigUrl));
}

// A line that sets a proxy goes whole, whatever else it holds: Firefox writes a statement a line.
std::string WithoutProxy(std::string_view file) {
    std::set<std::size_t> proxyLines;
    for (const Statement& statement : PrefsReader(file).ReadAll().read)
        if (statement.pref.name.starts_with("network.proxy."))
            for (std::size_t line = statement.pref.line; line <= statement.lastLine; ++line) proxyLines.insert(line);
    std::string kept;
    const std::vector<std::string_view> lines = LinesOf(file);
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (!proxyLines.contains(i + 1)) kept += lines[i];
    return kept;
}

std::vector<std::wstring> ProfileFolders(std::string_view ini, const std::wstring& appFolder) {
    std::vector<std::wstring> folders;
    ProfileSection section;
    for (const std::string_view raw : LinesOf(ini)) {
        const std::string_view line = Trimmed(raw);
        const std::size_t equals = line.find('=');
        if (line.starts_with('[') && line.ends_with(']')) {
            if (section.isProfile) AddOnce(folders, FolderOf(section, appFolder));
            section = {.isProfile = IsProfileSection(line.substr(1, line.size() - 2))};
        } else if (section.isProfile && equals != line.npos) {
            const std::string_view key = Trimmed(line.substr(0, equals)), value = Trimmed(line.substr(equals + 1));
            if (key == "IsRelative") section.isRelative = value;
            if (key == "Path") section.path = value;
        }
    }
    if (section.isProfile) AddOnce(folders, FolderOf(section, appFolder));
    return folders;
}
