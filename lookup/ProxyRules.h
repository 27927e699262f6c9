#pragma once
// What is judged malware's among the proxies: only what points to this computer, where a program
// of its own listens between the browser and every site.
#include <string_view>

// Whether a proxy list ("host:port", "[::1]:8888", "http=...;https=...", with or without
// "scheme://") names this computer anywhere: 127.0.0.0/8, ::1 or localhost.
bool ProxyToThisComputer(std::wstring_view list);
// Whether an auto-config script's address is a file or on this computer.
bool ScriptOnThisComputer(std::wstring_view url);
