#include "console/ListTrust.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "console/ConsoleMessages.h"
#include "console/Shares.h"

namespace {

// SYSTEM, Administrators, and TrustedInstaller, which owns Windows' own files.
constexpr std::array<std::wstring_view, 3> Trusted = {
    L"S-1-5-18", L"S-1-5-32-544", L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"};
// CREATOR OWNER stands for whoever creates a file in a folder: an entry for it is a pattern only.
constexpr std::wstring_view CreatorOwner = L"S-1-3-0";

constexpr std::uint32_t ChangesFile = win::FileWriteData | win::FileAppendData | win::Delete | win::WriteDac |
                                      win::WriteOwner | win::GenericAll | win::GenericWrite;
constexpr std::uint32_t ChangesFolderRights = win::WriteDac | win::WriteOwner | win::GenericAll;

// A folder lets someone put another file in place of one it holds: new files and deletion of any.
bool ReplacesInFolder(std::uint32_t mask) {
    return (mask & ChangesFolderRights) ||
           ((mask & (win::FileWriteData | win::GenericWrite)) && (mask & win::FileDeleteChild));
}

void AddWriters(const Permissions& permissions, bool (*writes)(std::uint32_t), std::vector<std::wstring>& names) {
    if (!permissions) {
        names.push_back(EveryoneForNoPermissions);
        return;
    }
    for (const AccessEntry& e : *permissions) {
        if (!e.allows || e.inheritOnly || e.sid == CreatorOwner || !writes(e.mask)) continue;
        if (std::find(Trusted.begin(), Trusted.end(), e.sid) != Trusted.end()) continue;
        if (std::find(names.begin(), names.end(), e.name) == names.end()) names.push_back(e.name);
    }
}

// The folder, as Windows opens it: with its final backslash ("C:\", "\\server\share\").
std::wstring FolderOf(const std::wstring& path) {
    const std::size_t end = path.find_last_of(L"\\/");
    return end == std::wstring::npos ? L".\\" : path.substr(0, end + 1);
}

// Every right that would let this run change the file or replace it, asked one at a time: a
// server grants each apart.
bool ThisRunMayChange(FileSystem& files, const std::wstring& path) {
    for (const std::uint32_t access :
        {win::FileWriteData, win::FileAppendData, win::Delete, win::WriteDac, win::WriteOwner})
        if (files.MayOpen(path, access)) return true;
    for (const std::uint32_t access : {win::FileWriteData | win::FileDeleteChild, win::WriteDac, win::WriteOwner})
        if (files.MayOpen(FolderOf(path), access)) return true;
    return false;
}

}  // namespace

std::vector<std::wstring> OthersWhoMayChange(const Permissions& file, const Permissions& folder) {
    std::vector<std::wstring> names;
    AddWriters(
        file, [](std::uint32_t mask) { return (mask & ChangesFile) != 0; }, names);
    AddWriters(folder, ReplacesInFolder, names);
    return names;
}

void RequireOnlyAdministratorsMayChange(FileSystem& files, const std::wstring& path) {
    if (!ServerOf(path).empty()) {
        if (ThisRunMayChange(files, path)) throw Failure(win::ErrorAccessDenied, path + L"\n" + ListOnWritableShare);
        return;
    }
    const std::vector<std::wstring> others =
        OthersWhoMayChange(files.PermissionsOf(path), files.PermissionsOf(FolderOf(path)));
    if (!others.empty()) throw Failure(win::ErrorAccessDenied, path + L"\n" + ListChangeableBy(others));
}
