#pragma once
// What the hosts file's own work says, whichever front end runs it.
#include <string>
#include <string_view>
#include <vector>

#include "app/Platform.h"

// What the unrecoverable-error message adds under the hosts file's path when a repair fails...
inline constexpr std::wstring_view HostsLeftAsItWas = L"Файл hosts оставлен как был.";
// ...or when the system reported a failure of a replace that took effect all the same.
inline std::wstring HostsReplacedAnyway(const std::wstring& backup) {
    return L"Файл hosts всё же заменён новым" +
           (backup.empty() ? std::wstring(L".") : L"; прежний сохранён в " + backup + L".");
}
// The programs that hold the hosts file, as Windows names them; empty when it cannot tell.
inline std::wstring HolderNames(const std::vector<FileHolder>& holders) {
    std::wstring names;
    for (const FileHolder& h : holders)
        names +=
            (names.empty() ? L"" : L", ") + Printable(h.name) + L" (процесс " + std::to_wstring(h.processId) + L")";
    return names;
}
