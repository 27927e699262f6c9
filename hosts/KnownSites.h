#pragma once
// The sites malware blocks or fakes, in one table: to keep a security tool from being downloaded
// or updated, or to show a fake bank page. A name in it counts with all its subdomains.
#include <optional>
#include <string_view>

enum class SiteKind {
    Security,  // security vendors and the checkers of files and sites
    Update,    // Windows Update and Microsoft's security pages
    Bank,      // banks and payment services
    Account,   // social networks, mail, search and government services: accounts people sign in to
};

// What `host` is ("online.sberbank.ru", "KASPERSKY.RU."): the kind of the table's name it is or
// lies under, letter case and a final dot aside; nothing for any other name.
std::optional<SiteKind> KnownSiteOf(std::string_view host);

// Whether a browser's block-list filter ("kaspersky.ru", "*.drweb.ru", "https://eset.com/path",
// ".virustotal.com") keeps a site of the security or update part from opening. A filter blocks its
// host's subdomains too, unless it starts with a dot; so a filter for a name above one of the
// table's ("microsoft.com" over "update.microsoft.com") blocks it too.
bool BlocksProtection(std::string_view filter);
