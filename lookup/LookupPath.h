#pragma once
// Beyond the hosts file: the other places that send a site elsewhere before or instead of it.
// The proxies (WinINET's per user, WinHTTP's per machine), an auto-config script, name servers
// set by hand, name resolution policy rules, DNS-over-HTTPS templates, Winsock providers, hosts.ics.
// Each is read and judged here; only a proxy to this computer is plainly malware's, and gets an undo.
#include <string>

#include "app/Platform.h"
#include "lookup/Finding.h"

class WindowsRegistry;

// Reads every place of the lookup path but hosts itself. `windows`: the registry of the Windows
// the run works on, where its name servers, name resolution policy and Winsock catalog live
// (another installation's SYSTEM file loaded), or nullptr when it could not be loaded; `hostsPath`:
// its hosts file, hosts.ics beside it. Of another installation (`other`) only that file and
// hosts.ics are read: its users' and its SOFTWARE registry are not loaded, which a note says. A
// place that cannot be read is a note with the Windows error; the others are read all the same.
LookupReport ReadLookupPath(const Platform& s, WindowsRegistry* windows, const std::wstring& hostsPath, bool other);
