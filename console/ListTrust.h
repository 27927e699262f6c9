#pragma once
// A company's list (/allow:) decides which entries every repair keeps, on every computer that
// reads it: only administrators and SYSTEM may be able to change it, or whoever can becomes the
// one who decides. (Malware on any one computer, on a share all of them can write.)
#include <string>
#include <vector>

#include "app/Platform.h"

// Who besides administrators, SYSTEM and Windows' installer may change the file, or put another
// in its place in its folder, by the permissions of both: their names, each once.
std::vector<std::wstring> OthersWhoMayChange(const Permissions& file, const Permissions& folder);

// Refuses the list at `path` (ERROR_ACCESS_DENIED, naming why) when others may change it: on a
// share, when this run may itself (then every computer's SYSTEM may, for all of them); on this
// computer, when its permissions let anyone else.
void RequireOnlyAdministratorsMayChange(FileSystem& files, const std::wstring& path);
