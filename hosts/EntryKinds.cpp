#include "hosts/EntryKinds.h"

#include "app/Addresses.h"
#include "app/Ascii.h"
#include "hosts/HostsMessages.h"
#include "hosts/KnownSites.h"

bool SendsNowhere(std::string_view address) {
    const std::string a = AsciiLower(address);
    if (a == "::" || a == "::1" || a == "0:0:0:0:0:0:0:0" || a == "0:0:0:0:0:0:0:1") return true;
    const std::optional<std::array<std::uint8_t, 4>> ip = Ipv4Of(a);
    return ip && ((*ip)[0] == 127 || *ip == std::array<std::uint8_t, 4>{});
}

void EntryJudge::Address(std::string_view address) {
    *this = {};
    nowhere_ = SendsNowhere(address);
}

void EntryJudge::Name(std::string_view name) {
    if (first_.empty()) first_ = name;
    const std::optional<SiteKind> site = KnownSiteOf(name);
    security_ = security_ || site == SiteKind::Security || site == SiteKind::Update;
    account_ = account_ || site == SiteKind::Bank || site == SiteKind::Account;
}

EntryKind EntryJudge::Kind() const {
    return !nowhere_ ? EntryKind::Redirect : security_ ? EntryKind::BlockSecurity : EntryKind::Block;
}

void EntryTally::Add(const EntryJudge& line) {
    const auto kind = static_cast<std::size_t>(line.Kind());
    const bool account = line.Kind() == EntryKind::Redirect && line.AccountSite();
    ++count[kind];
    accountRedirects += account;
    std::string& name = account ? accountExample : example[kind];
    if (name.empty()) name = line.FirstName();
}

std::vector<std::wstring> EntrySummary(const EntryTally& t, const Codepage& cp) {
    // A name from the file, fit for a line: printable, and no longer than a name can be.
    const auto name = [&](const std::string& n) { return Printable(cp.ToWide(n.substr(0, 253))); };
    std::vector<std::wstring> lines;
    const std::size_t others = t.Count(EntryKind::Redirect) - t.accountRedirects,
                      security = t.Count(EntryKind::BlockSecurity), blocked = t.Count(EntryKind::Block);
    if (t.accountRedirects) lines.push_back(AccountSitesRedirected(t.accountRedirects, name(t.accountExample)));
    if (others) lines.push_back(SitesRedirected(others, name(t.example[0])));
    if (security) lines.push_back(SecuritySitesBlocked(security, name(t.example[1])));
    if (blocked >= BlockListSize) lines.push_back(BlockListFound(blocked));
    else if (blocked) lines.push_back(NamesBlocked(blocked, name(t.example[2])));
    return lines;
}
