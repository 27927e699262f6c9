#pragma once
// Reading the hosts file's bytes: the LF count that decides whether it is stock,
// and the text its view shows.
#include <array>
#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/Codepage.h"
#include "hosts/EntryKinds.h"

std::size_t CountLF(std::string_view bytes);

// The view shows a file up to this many bytes, above the largest block lists people install, so
// that a file padded to hundreds of megabytes cannot exhaust the program, nor make the view
// crawl on an old PC, before a repair can run.
inline constexpr std::size_t ViewCap = std::size_t{4} << 20;

// Shown instead of a NUL byte, at which the view's text would otherwise end.
inline constexpr wchar_t NulPlaceholder = L'\u2400';

// Every line followed by CR LF. A line ends at CR or CR LF; a lone LF stays inside
// its line but is shown as a line break too, so that LF-only files read as lines.
std::wstring BuildViewText(std::string_view bytes, const Codepage& cp);

// Mappings of an address to a name that are no entries.
class MappingFilter {
public:
    virtual ~MappingFilter() = default;
    virtual bool Allows(std::string_view address, std::string_view name) const = 0;
};

// A company's own entries (/allow:FILE), in the hosts file's own format: each mapping of an
// address to a name on its active lines, and those lines as the file has them, in its order.
class AllowList final : public MappingFilter {
public:
    explicit AllowList(std::string_view bytes);
    // The same address and the same name, both case-blind (names are, and so are IPv6's digits).
    bool Allows(std::string_view address, std::string_view name) const override;

    std::vector<std::string> lines;

private:
    std::set<std::string> mappings_;  // "address name", in small letters
};

// An entry as a machine reads it: where it is, what it maps, what it does.
struct EntryRecord {
    std::size_t line;  // from 1, a line ending at CR, CR LF or LF, as the view shows lines
    std::string address;
    std::vector<std::string> names;  // those that make it an entry
    EntryKind kind;
    bool accountSite;  // a redirect of a bank's, a mail's... site
};

// An entry is a line that maps a name other than localhost, or maps localhost anywhere but to
// this computer (127.x.x.x, ::1): what blocking and hijacking both do. Gathered piece by piece
// over the whole of every line, however long, so that no padding hides one.
class HostsScan {
public:
    // Keeps up to `keep` of the entries whose line ends past byte `listFrom`. A line whose every
    // mapping `allowed` holds is no entry: it is counted apart.
    explicit HostsScan(std::size_t keep, unsigned long long listFrom = 0, const MappingFilter* allowed = nullptr)
        : keep_(keep), listFrom_(listFrom), allowed_(allowed) {}
    void Add(std::string_view chunk);
    void Finish();  // the last line, if no line break closed it

    // A server a path of the run reaches (\\server\...), and the first line that maps it, if any
    // (see MapsServer), cut as `listed` are.
    struct Watched {
        std::string server;
        std::optional<std::string> line;
    };
    std::vector<Watched> watched;  // set before the first Add
    std::size_t recordsPerKind = 0;  // set before the first Add: `records` keeps this many of each kind

    std::size_t lineFeeds = 0;
    std::size_t entries = 0;          // of the lines that end past `listFrom`
    std::size_t allowedLines = 0;     // lines that would be entries but for the allow-list
    std::vector<std::string> listed;  // the first of them, as the file has them, each cut to ShownLineCap bytes
    EntryTally tally;                 // every entry, wherever it ends, by what it does
    std::vector<EntryRecord> records;  // in the file's order; a long block list cannot crowd out a redirect

private:
    void TakeEntryCharacter(char c);
    void EndWord();
    void EndLine();
    void Record();

    std::size_t keep_;
    unsigned long long listFrom_, offset_ = 0;
    const MappingFilter* allowed_;
    std::string line_, word_, address_;  // their first bytes: more tells nothing
    int words_ = 0;
    bool comment_ = false, toThisComputer_ = false, entry_ = false, allowedMapping_ = false;
    std::vector<bool> watchedHere_;  // a name of this line is that server
    EntryJudge judge_;               // this line's entry
    std::size_t lineNumber_ = 1;
    bool afterCR_ = false;                   // a LF right after a CR ends no second line
    std::vector<std::string> names_;         // this line's, kept for `records`
    std::array<std::size_t, 3> recorded_{};  // by kind
};

// Whether a name of a hosts line decides where a path on `server` goes: the same name, letter
// case and a final dot aside; or, for a server named by one word, a full name that starts with
// it, which Windows reaches by adding its DNS suffix.
bool MapsServer(std::string_view name, std::string_view server);

inline constexpr std::size_t ShownLineCap = 1024;
