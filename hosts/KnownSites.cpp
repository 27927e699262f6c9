#include "hosts/KnownSites.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <string>
#include <utility>

#include "app/Ascii.h"

namespace {

using enum SiteKind;

using Site = std::pair<std::string_view, SiteKind>;

// Each name stands for itself and every name under it.
constexpr Site Sites[] = {
    // Security vendors, their downloads and updates, and the checkers.
    {"kaspersky.ru", Security},
    {"kaspersky.com", Security},
    {"kaspersky-labs.com", Security},
    {"drweb.ru", Security},
    {"drweb.com", Security},
    {"freedrweb.com", Security},
    {"eset.com", Security},
    {"eset.ru", Security},
    {"esetnod32.ru", Security},
    {"avast.com", Security},
    {"avast.ru", Security},
    {"avg.com", Security},
    {"avira.com", Security},
    {"bitdefender.com", Security},
    {"norton.com", Security},
    {"symantec.com", Security},
    {"mcafee.com", Security},
    {"malwarebytes.com", Security},
    {"malwarebytes.org", Security},
    {"sophos.com", Security},
    {"trendmicro.com", Security},
    {"f-secure.com", Security},
    {"emsisoft.com", Security},
    {"comodo.com", Security},
    {"hitmanpro.com", Security},
    {"360totalsecurity.com", Security},
    {"z-oleg.com", Security},
    {"virusinfo.info", Security},
    {"safezone.cc", Security},
    {"anti-malware.ru", Security},
    {"virustotal.com", Security},
    {"virusscan.jotti.org", Security},
    {"hybrid-analysis.com", Security},
    {"sysinternals.com", Security},
    // Windows Update, Defender's updates and Microsoft's security pages.
    {"windowsupdate.com", Update},
    {"update.microsoft.com", Update},
    {"windowsupdate.microsoft.com", Update},
    {"download.microsoft.com", Update},
    {"delivery.mp.microsoft.com", Update},
    {"definitionupdates.microsoft.com", Update},
    {"wdcp.microsoft.com", Update},
    {"smartscreen.microsoft.com", Update},
    {"security.microsoft.com", Update},
    {"msrc.microsoft.com", Update},
    {"go.microsoft.com", Update},
    {"wustat.windows.com", Update},
    // Banks and payment services.
    {"sberbank.ru", Bank},
    {"sberbank.com", Bank},
    {"sber.ru", Bank},
    {"vtb.ru", Bank},
    {"tbank.ru", Bank},
    {"tinkoff.ru", Bank},
    {"alfabank.ru", Bank},
    {"gazprombank.ru", Bank},
    {"raiffeisen.ru", Bank},
    {"rshb.ru", Bank},
    {"pochtabank.ru", Bank},
    {"sovcombank.ru", Bank},
    {"open.ru", Bank},
    {"psbank.ru", Bank},
    {"rosbank.ru", Bank},
    {"mtsbank.ru", Bank},
    {"qiwi.com", Bank},
    {"qiwi.ru", Bank},
    {"yoomoney.ru", Bank},
    {"webmoney.ru", Bank},
    {"webmoney.com", Bank},
    {"paypal.com", Bank},
    {"privatbank.ua", Bank},
    {"monobank.ua", Bank},
    {"revolut.com", Bank},
    {"wise.com", Bank},
    {"chase.com", Bank},
    {"bankofamerica.com", Bank},
    {"wellsfargo.com", Bank},
    {"citi.com", Bank},
    {"hsbc.com", Bank},
    {"visa.com", Bank},
    {"mastercard.com", Bank},
    // Social networks, mail, search and government services.
    {"vk.com", Account},
    {"vk.ru", Account},
    {"ok.ru", Account},
    {"odnoklassniki.ru", Account},
    {"mail.ru", Account},
    {"yandex.ru", Account},
    {"yandex.com", Account},
    {"ya.ru", Account},
    {"rambler.ru", Account},
    {"google.com", Account},
    {"google.ru", Account},
    {"gmail.com", Account},
    {"youtube.com", Account},
    {"facebook.com", Account},
    {"instagram.com", Account},
    {"twitter.com", Account},
    {"x.com", Account},
    {"telegram.org", Account},
    {"whatsapp.com", Account},
    {"live.com", Account},
    {"outlook.com", Account},
    {"hotmail.com", Account},
    {"login.microsoftonline.com", Account},
    {"gosuslugi.ru", Account},
    {"nalog.gov.ru", Account},
    {"mos.ru", Account},
    {"avito.ru", Account},
    {"ozon.ru", Account},
    {"wildberries.ru", Account},
};

// Shorter names first, so that most steps of a search compare sizes alone.
constexpr bool Before(std::string_view a, std::string_view b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

// The table in that order, for KnownSiteOf, which every name of a hosts file goes through.
constexpr auto SortedSites = [] {
    auto sites = std::to_array(Sites);
    std::ranges::sort(sites, Before, &Site::first);
    return sites;
}();

// `host` is `name` or a name under it.
bool Under(std::string_view host, std::string_view name) {
    return host.size() >= name.size() && host.ends_with(name) &&
           (host.size() == name.size() || host[host.size() - name.size() - 1] == '.');
}

std::string Normal(std::string_view host) {
    std::string lower = AsciiLower(host);
    if (lower.ends_with('.')) lower.pop_back();
    return lower;
}

}  // namespace

std::optional<SiteKind> KnownSiteOf(std::string_view host) {
    const std::string name = Normal(host);
    // The name, then each name it lies under: "a.b.example.com", "b.example.com", "example.com", "com".
    for (std::string_view rest = name;;) {
        const auto site = std::ranges::lower_bound(SortedSites, rest, Before, &Site::first);
        if (site != SortedSites.end() && site->first == rest) return site->second;
        const std::size_t dot = rest.find('.');
        if (dot == rest.npos) return std::nullopt;
        rest.remove_prefix(dot + 1);
    }
}

bool BlocksProtection(std::string_view filter) {
    // [scheme://][.]host[:port][/path][?query]: the host alone counts.
    if (const std::size_t scheme = filter.find("://"); scheme != filter.npos) filter.remove_prefix(scheme + 3);
    filter = filter.substr(0, filter.find_first_of(":/?@"));
    const bool exact = filter.starts_with('.');
    if (exact) filter.remove_prefix(1);
    else if (filter.starts_with("*.")) filter.remove_prefix(2);
    const std::string host = Normal(filter);
    if (host.find('.') == host.npos) return false;  // "*", a bare top-level name: no one site's block
    return std::any_of(std::begin(Sites), std::end(Sites), [&](const auto& s) {
        return s.second <= Update && (Under(host, s.first) || (!exact && Under(s.first, host)));
    });
}
