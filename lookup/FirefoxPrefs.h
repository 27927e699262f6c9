#pragma once
// Firefox keeps its own network settings, apart from Windows': in each profile's prefs.js, which
// it writes itself, and user.js, which anyone may write and which it applies over prefs.js at
// every start. Which profiles there are, profiles.ini says.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// One statement that sets a preference: user_pref("name", value); or pref(...) or sticky_pref(...).
struct FirefoxPref {
    std::string name;
    std::string value;  // a string's text unescaped (UTF-8), else the literal as written: 1, -5, true
    std::size_t line;   // where the statement starts, from 1
};
struct FirefoxPrefs {
    std::vector<FirefoxPref> prefs;    // in the file's order: of the same name, the last one counts
    std::vector<std::size_t> damaged;  // lines with a statement that cannot be read; the next line is read on
};
// Reads prefs.js or user.js, UTF-8 bytes.
FirefoxPrefs ParsePrefs(std::string_view file);

// What a profile's prefs.js and user.js set, together.
struct FirefoxNetwork {
    int proxyType = 5;  // network.proxy.type: 0 direct, 1 manual, 2 script, 4 detect, 5 Windows' (the default)
    std::string http, ssl, socks;  // "host:port"; empty when no host is named
    std::string autoconfigUrl;     // network.proxy.autoconfig_url
    int trrMode = 0;               // network.trr.mode: its own name servers over HTTPS at 2 and 3
    std::string trrUri;            // network.trr.uri
};
FirefoxNetwork NetworkOf(const FirefoxPrefs& prefs, const FirefoxPrefs& userJs);
// Whether the proxy type in force goes through a proxy at all.
bool ProxySet(const FirefoxNetwork& network);
bool DohSet(const FirefoxNetwork& network);
// Whether the proxy is plainly malware's: a manual one with any server on this computer, or a
// script that is a file or on this computer.
bool FirefoxProxyHere(const FirefoxNetwork& network);
// The file without the lines that set any network.proxy.* preference, so that Firefox goes back
// to its default; every other byte as it was, line endings included.
std::string WithoutProxy(std::string_view file);

// Adds `folder` to `folders` unless it is empty or there already, letter case aside.
void AddOnce(std::vector<std::wstring>& folders, const std::wstring& folder);

// The profile folders that profiles.ini (UTF-8) names, in its order, each once (letter case
// aside): a relative path under `appFolder`, the folder that holds profiles.ini; an absolute one
// as written, with backslashes. A path that is empty, climbs out of `appFolder` with "..", or is
// absolute but not on a drive is none.
std::vector<std::wstring> ProfileFolders(std::string_view ini, const std::wstring& appFolder);
