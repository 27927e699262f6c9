#pragma once
// Firefox's own proxy and DNS over HTTPS, in each profile of a user and in its installation: it
// uses Windows' proxy only when told to, so banking trojans set its proxy beside Windows' own.
#include <string>
#include <vector>

#include "app/Platform.h"
#include "lookup/PlaceReader.h"

// Each profile that the user's profiles.ini names, in their roaming application data: the
// current user's where the shell keeps it, another's under their profile's folder.
void ReadFirefoxProfiles(PlaceReader& reader, const User& user);

// The installation's own settings, which no profile can change: its policies.json and an
// autoconfig file that general.config.filename names.
void ReadFirefoxInstallation(PlaceReader& reader);

// Takes the proxy out of the profile's prefs.js and user.js, each old file kept beside it first
// as a copy, whose paths are returned. Never while Firefox runs with the profile (its
// parent.lock is held): ERROR_SHARING_VIOLATION then, and nothing is touched.
std::vector<std::wstring> TakeProxyOutOfProfile(const Platform& s, const std::wstring& profile);
