#pragma once
// A finding: one place on a name's way to its address that sends a site elsewhere, as data. The
// reader fills it; Words says it to people, the same in the window and on the command line.
// A new kind is a FindingKind, its word in `other=`, and its line in Words.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/Platform.h"
#include "lookup/WindowsRegistry.h"

// What a finding is about, in the order the RESULT line's `other=` names them.
enum class FindingKind { Ics, Proxy, Pac, ProxyLock, WinHttp, Dns, Nrpt, Winsock, Route, Doh, BrowserPolicy, Firefox };

// How a finding that is plainly malware's is switched off: a proxy's ProxyEnable set to 0, an
// auto-config URL deleted, WinHTTP's proxy set to direct, a connection value's proxy and script
// switched off; a browser's policy value deleted, the entries of its block list that keep security
// sites from opening freed; a Firefox profile's proxy lines taken out. Nothing else is ever changed.
struct Undo {
    enum Action { ProxyOff, ScriptOff, WinHttpDirect, ConnectionOff, PolicyOff, BlockListFreed, FirefoxProxyOff };
    Action action;
    KeyPlace key = {};
    std::vector<std::pair<std::wstring, RegistryValue>> old = {};  // the values as they were, which bring it back
    std::wstring profile = {};  // Firefox's: the profile's folder, whose old files are kept as copies instead
};

// Every text in it is printable and cut, as the registry's text is shown (Cut).
struct Finding {
    FindingKind kind;
    std::wstring where = {};    // whose or which: the user, the adapter, the rule, 64-bit Winsock, the browser;
                                // empty: the only one
    std::wstring value = {};    // what it is set to: the servers, the script, the names a rule covers, the DLL, the
                                // line; a browser's policy's name
    std::wstring besides = {};  // what goes with the value: WinHTTP's bypass list, the servers a rule sends names to,
                                // what a Winsock DLL's file is, a browser's policy's value
    std::wstring reset = {};    // the command or advice that resets it by hand; unused when it has an undo
                                // (a browser's policy: why it stays, and how to remove it)
    std::optional<Undo> undo = {};  // a proxy or an auto-config script on this computer
    bool damaged = false;           // WinHTTP, a connection value: its value could not be decoded
    std::size_t more = 0;           // hosts.ics: a finding for the entries past those listed, this many
    bool inactive = false;          // an NRPT rule Windows does not use: Group Policy's rules stand in for it
};

// The finding for people, a line of its own.
std::wstring Words(const Finding& finding);

// What else sends a site elsewhere, and what could not be looked at, and why.
struct LookupReport {
    std::vector<Finding> findings;
    std::vector<std::wstring> notes;  // each a place that went unread
};

// The kind's word, as `other=` has it.
const wchar_t* KindWord(FindingKind kind);

// `other=`'s value: the kinds found, each once, in FindingKind's order, then "unread" when a place
// could not be read, by commas; "none" only when every place was read and none sends a site elsewhere.
std::wstring OtherField(const LookupReport& report);
