#pragma once
// What a hosts entry does to the person at the PC: a name sent elsewhere may open a fake site; a
// security site sent nowhere keeps the malware from being removed; any other name sent nowhere is
// a block, often the user's own ad list.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/Codepage.h"

enum class EntryKind { Redirect, BlockSecurity, Block };

// This computer or nowhere: 0.0.0.0, 127.0.0.0/8, ::, ::1 (IPv6 also written out in full).
bool SendsNowhere(std::string_view address);

// One entry's line as its words come: the address, then each name.
class EntryJudge {
public:
    void Address(std::string_view address);
    void Name(std::string_view name);
    // The line's kind; a redirect is of an account's site (a bank's, a mail's...) when any of its
    // names is one.
    EntryKind Kind() const;
    bool AccountSite() const { return account_; }
    const std::string& FirstName() const { return first_; }

private:
    bool nowhere_ = false, security_ = false, account_ = false;
    std::string first_;
};

// The entries counted by kind, the redirects of account sites among them, with a name of each's first.
struct EntryTally {
    std::array<std::size_t, 3> count{};
    std::size_t accountRedirects = 0;    // of count[Redirect]
    std::array<std::string, 3> example;  // a name of the first entry of each kind (a redirect: of another site)
    std::string accountExample;

    void Add(const EntryJudge& line);
    std::size_t Count(EntryKind kind) const { return count[static_cast<std::size_t>(kind)]; }
};

// The tally for people, as HostsMessages words it: a line each kind found, redirects first.
std::vector<std::wstring> EntrySummary(const EntryTally& tally, const Codepage& cp);

// From this many blocked names on, they are most likely a list of blocked names (ads, trackers),
// perhaps the user's own, told as one.
inline constexpr std::size_t BlockListSize = 200;
