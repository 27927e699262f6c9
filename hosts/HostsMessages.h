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
// Any program can call itself anything ("Защитник Windows", say), at any length: each name is
// cut to HolderNameCap characters and shown with the program file's path where Windows gives
// it, and a few holders at most are listed; "…" marks what was cut.
inline constexpr std::size_t HolderNameCap = 32, HolderImageCap = 100, HolderCap = 3;
inline std::wstring CutTo(std::wstring text, std::size_t cap) {
    if (text.size() <= cap) return text;
    text.resize(cap - 1);
    if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();  // no half a pair
    return text + L"…";
}
// The programs that hold the hosts file, as Windows names them; empty when it cannot tell.
inline std::wstring HolderNames(const std::vector<FileHolder>& holders) {
    std::wstring names;
    for (std::size_t i = 0; i < holders.size(); ++i) {
        if (i == HolderCap) return names + L", …";
        const FileHolder& h = holders[i];
        names += (names.empty() ? L"" : L", ") + CutTo(Printable(h.name), HolderNameCap) + L" (" +
                 (h.image.empty() ? L"" : CutTo(Printable(h.image), HolderImageCap) + L", ") + L"процесс " +
                 std::to_wstring(h.processId) + L")";
    }
    return names;
}

// What the hosts file's entries do, a line each kind found, redirects first, each with a name of
// its first entry and its advice.
inline std::wstring AccountSitesRedirected(std::size_t n, const std::wstring& example) {
    return L"подменены адреса сайтов банков, платежей, почты, соцсетей или госуслуг (записей: " + std::to_wstring(n) +
           L", например " + example +
           L"): если вы вводили там пароль или номер карты, смените пароль с другого, чистого устройства и позвоните "
           L"в банк";
}
inline std::wstring SitesRedirected(std::size_t n, const std::wstring& example) {
    return L"подменены адреса сайтов (записей: " + std::to_wstring(n) + L", например " + example +
           L"): сайт может быть поддельным";
}
inline std::wstring SecuritySitesBlocked(std::size_t n, const std::wstring& example) {
    return L"заблокированы сайты защиты или обновлений Windows (записей: " + std::to_wstring(n) + L", например " +
           example + L"): так вредоносные программы мешают себя удалить";
}
inline std::wstring NamesBlocked(std::size_t n, const std::wstring& example) {
    return L"заблокированы другие имена (записей: " + std::to_wstring(n) + L", например " + example + L")";
}
inline std::wstring BlockListFound(std::size_t n) {
    return L"заблокировано имён: " + std::to_wstring(n) +
           L": похоже на список блокировки рекламы, возможно ваш; при восстановлении hosts его копия сохранится "
           L"рядом";
}
