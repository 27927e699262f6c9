#include "console/CommandLine.h"

#include <iterator>
#include <optional>
#include <string_view>

#include "app/Ascii.h"

namespace {

// The actions a switch goes with, as bits by Command::Action.
using Actions = unsigned;
constexpr Actions With(Command::Action action) { return 1u << action; }
// The actions that work on a hosts file, and those and the window.
constexpr Actions OnHosts = With(Command::Check) | With(Command::Repair) | With(Command::Restore);
constexpr Actions OnHostsOrWindow = With(Command::Window) | OnHosts;

// A folder by its full name, on a drive (X:\...) or a share (\\server\share...): never one
// relative to whatever the current folder or drive happens to be.
bool IsFullPath(std::wstring_view path) { return IsDrivePath(path) || path.starts_with(L"\\\\"); }

// A switch: its names (its own, then its aliases), whether it takes a value ("/name:value", never
// empty), and either the action it asks for or, as a setting of one (`action` Window), where it
// goes in the command and the actions it goes with.
enum class Takes { Nothing, Value };
struct Switch {
    std::wstring_view names[3];
    Takes takes;
    Command::Action action;
    Actions goesWith = 0;
    std::wstring Command::*value = nullptr;
    bool Command::*flag = nullptr;
    bool (*valid)(std::wstring_view value) = nullptr;  // nullptr: any value
};

// The usage takes no folder and no log; a log and an output's code page are of an action; a
// company's list is for a check and a repair.
const Switch Switches[] = {
    // names, value, the action it asks for or Window for a setting, the actions a setting goes with, where it goes
    {{L"check"}, Takes::Nothing, Command::Check},
    {{L"repair"}, Takes::Nothing, Command::Repair},
    {{L"restore"}, Takes::Value, Command::Restore, 0, &Command::restoreFrom},
    {{L"?", L"help", L"-help"}, Takes::Nothing, Command::Usage},
    {{L"windir"}, Takes::Value, Command::Window, OnHostsOrWindow, &Command::windowsDir, nullptr, IsFullPath},
    {{L"log"}, Takes::Value, Command::Window, OnHosts, &Command::log},
    {{L"allow"}, Takes::Value, Command::Window, With(Command::Check) | With(Command::Repair), &Command::allow},
    {{L"utf8"}, Takes::Nothing, Command::Window, OnHosts | With(Command::Usage), nullptr, &Command::utf8},
    {{L"json"}, Takes::Nothing, Command::Window, OnHosts, nullptr, &Command::json},
    {{L"eventlog"}, Takes::Nothing, Command::Window, OnHosts, nullptr, &Command::eventLog},
};
constexpr std::size_t SwitchCount = std::size(Switches);

// An argument as a switch: "/name" or "-name", and its value after the first ':', if any. Only
// the name is case-blind: a file's name is kept as given.
struct Given {
    std::wstring name;
    std::optional<std::wstring> value;
};
std::optional<Given> SplitSwitch(const std::wstring& arg) {
    if (arg.size() < 2 || (arg[0] != L'/' && arg[0] != L'-')) return std::nullopt;
    const std::size_t colon = arg.find(L':');
    Given given{AsciiLower(std::wstring_view(arg).substr(1, colon - 1)), std::nullopt};
    if (colon != arg.npos) given.value = arg.substr(colon + 1);
    return given;
}

// The table's switch of that name; SwitchCount for none.
std::size_t FindSwitch(std::wstring_view name) {
    for (std::size_t i = 0; i < SwitchCount; ++i)
        for (std::wstring_view alias : Switches[i].names)
            if (!alias.empty() && alias == name) return i;
    return SwitchCount;
}

// A value exactly where the switch takes one, and not empty, and of the switch's own form.
bool ValueFits(const Switch& sw, const std::optional<std::wstring>& value) {
    if (sw.takes == Takes::Nothing) return !value;
    return value && !value->empty() && (!sw.valid || sw.valid(*value));
}

// Puts the switch in the command: its action, its value or its flag. False for a second action.
bool Apply(const Switch& sw, const std::optional<std::wstring>& value, Command& c) {
    if (sw.action != Command::Window) {
        if (c.action != Command::Window) return false;
        c.action = sw.action;
    }
    if (sw.value) c.*sw.value = *value;
    if (sw.flag) c.*sw.flag = true;
    return true;
}

// An action goes with itself; a setting with the actions of its row.
bool GoesWith(const Switch& sw, Command::Action action) {
    return sw.action != Command::Window || (sw.goesWith & With(action));
}

// "FILE#" and 64 hexadecimal digits pins the list's SHA-256; a '#' followed by anything else is
// part of the file's name.
void SplitPin(Command& c) {
    const std::size_t hash = c.allow.rfind(L'#');
    if (hash == std::wstring::npos || c.allow.size() - hash != 65) return;
    std::string digits;
    for (const wchar_t d : std::wstring_view(c.allow).substr(hash + 1)) {
        const wchar_t lower = AsciiLower(d);
        if (!((lower >= L'0' && lower <= L'9') || (lower >= L'a' && lower <= L'f'))) return;
        digits += static_cast<char>(lower);
    }
    c.allow.resize(hash);
    c.allowSha256 = digits;
}

Command Invalid() {
    Command c;
    c.action = Command::Invalid;
    return c;
}

}  // namespace

Command ParseCommandLine(const std::vector<std::wstring>& args) {
    Command c;
    bool seen[SwitchCount] = {};
    for (const std::wstring& arg : args) {
        const std::optional<Given> given = SplitSwitch(arg);
        const std::size_t i = given ? FindSwitch(given->name) : SwitchCount;
        if (i == SwitchCount || seen[i]) return Invalid();
        if (!ValueFits(Switches[i], given->value) || !Apply(Switches[i], given->value, c)) return Invalid();
        seen[i] = true;
    }
    for (std::size_t i = 0; i < SwitchCount; ++i)
        if (seen[i] && !GoesWith(Switches[i], c.action)) return Invalid();
    SplitPin(c);
    return c;
}
