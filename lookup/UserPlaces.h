#pragma once
// Each user's own settings: WinINET's proxy and auto-config script, in its options and in each
// connection, the browsers' policies and Firefox's profiles.
#include <string_view>

struct PlaceReader;

// Reads the current user's, and when the run is SYSTEM's every user's, signed in or not, into the
// reader's report; then the whole computer's proxy where a policy makes it so.
void ReadUsers(PlaceReader& reader);

// A loaded user's own hive under HKEY_USERS (S-1-5-21-...), not its classes or a service's.
bool IsUserHive(std::wstring_view name);
