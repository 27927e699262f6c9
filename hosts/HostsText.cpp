#include "hosts/HostsText.h"

#include <algorithm>
#include <array>

#include "app/Addresses.h"
#include "app/Ascii.h"

std::size_t CountLF(std::string_view bytes) {
    // Counted in blocks small enough for per-lane byte counters, which the compiler
    // keeps in vector registers: several times faster than a plain loop.
    constexpr std::size_t Lanes = 32, Block = Lanes * 255;
    std::size_t total = 0;
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left >= Lanes) {
        const std::size_t n = std::min(left, Block) / Lanes * Lanes;
        unsigned char lane[Lanes] = {};
        for (std::size_t i = 0; i < n; i += Lanes)
            for (std::size_t j = 0; j < Lanes; ++j) lane[j] += p[i + j] == '\n';
        for (unsigned char c : lane) total += c;
        p += n;
        left -= n;
    }
    return total + static_cast<std::size_t>(std::count(p, p + left, '\n'));
}

std::wstring BuildViewText(std::string_view bytes, const Codepage& cp) {
    // Every CR, CR LF and lone LF becomes CR LF, and a last line without terminator
    // gets one. The size is counted first so the text is allocated exactly once.
    const std::size_t n = bytes.size();
    const bool lastLineOpen = n > 0 && bytes[n - 1] != '\r' && !(n >= 2 && bytes.substr(n - 2) == "\r\n");
    std::size_t size = n + (lastLineOpen ? 2 : 0);
    for (std::size_t i = 0; i < n; ++i) {
        if (bytes[i] == '\r' && (i + 1 == n || bytes[i + 1] != '\n')) ++size;
        else if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) ++size;
    }

    std::wstring view(size, L'\0');
    wchar_t* out = view.data();
    for (std::size_t i = 0; i < n; ++i) {
        const char b = bytes[i];
        if (b == '\r' || b == '\n') {
            if (b == '\r' && i + 1 < n && bytes[i + 1] == '\n') ++i;
            *out++ = L'\r';
            *out++ = L'\n';
        } else {
            *out++ = b == '\0' ? NulPlaceholder : cp.toWide[static_cast<unsigned char>(b)];
        }
    }
    if (lastLineOpen) {
        *out++ = L'\r';
        *out++ = L'\n';
    }
    return view;
}

namespace {

// Longer than any address or name (a DNS name has 253 characters at most): a longer word is none.
constexpr std::size_t WordCap = 255;
constexpr bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

// Where the skipping below stops: the end of a line, and, outside a comment, the end of a word.
constexpr auto Stops(bool inComment) {
    std::array<bool, 256> stop{};
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        stop[b] = IsLineEnd(c) || (!inComment && (IsBlank(c) || c == '#'));
    }
    return stop;
}
constexpr std::array<bool, 256> LineStops = Stops(true), WordStops = Stops(false);

bool IsLocalhost(std::string_view word) { return AsciiEqualNoCase(word, "localhost"); }

// 127.x.x.x in dotted decimal, or ::1.
bool IsThisComputer(std::string_view address) {
    if (address == "::1") return true;
    const std::optional<std::array<std::uint8_t, 4>> ip = Ipv4Of(address);
    return ip && (*ip)[0] == 127;
}

}  // namespace

void HostsScan::Add(std::string_view chunk) {
    lineFeeds += CountLF(chunk);
    for (std::size_t at = 0; at < chunk.size(); ++at) {
        // Past what is kept of a line, the rest of a comment or of an overlong word tells nothing:
        // it is passed over at once, as padding is, up to where something can change.
        if (line_.size() == ShownLineCap && (comment_ || word_.size() > WordCap)) {
            const std::array<bool, 256>& stop = comment_ ? LineStops : WordStops;
            const std::size_t from = at;
            while (at < chunk.size() && !stop[static_cast<unsigned char>(chunk[at])]) ++at;
            offset_ += at - from;
            if (at > from) afterCR_ = false;
            if (at == chunk.size()) return;
        }
        const char c = chunk[at];
        const bool lineEnd = IsLineEnd(c);
        if (lineEnd) {
            EndLine();
            if (c == '\r' || !afterCR_) ++lineNumber_;
        } else if (line_.size() < ShownLineCap) {
            line_ += c;
        }
        afterCR_ = c == '\r';
        if (!lineEnd && !comment_) TakeEntryCharacter(c);
        ++offset_;
    }
}

// Outside a comment: a '#' starts one, blanks end words.
void HostsScan::TakeEntryCharacter(char c) {
    if (c == '#') {
        EndWord();
        comment_ = true;
    } else if (IsBlank(c)) {
        EndWord();
    } else if (word_.size() <= WordCap) {
        word_ += c;
    }
}

void HostsScan::Finish() { EndLine(); }

// The first word is the address, the others are names.
void HostsScan::EndWord() {
    if (word_.empty()) return;
    if (++words_ == 1) {
        toThisComputer_ = IsThisComputer(word_);
        address_ = word_;
        judge_.Address(word_);
    } else {
        if (!watched.empty()) {  // only a run that reaches a share watches: the scan of hosts stays lean
            watchedHere_.resize(watched.size());
            for (std::size_t i = 0; i < watched.size(); ++i)
                if (MapsServer(word_, watched[i].server)) watchedHere_[i] = true;
        }
        if (!toThisComputer_ || !IsLocalhost(word_)) {
            const bool allowed = allowed_ && word_.size() <= WordCap && allowed_->Allows(address_, word_);
            (allowed ? allowedMapping_ : entry_) = true;
            if (!allowed) judge_.Name(word_);
            if (!allowed && recordsPerKind) names_.push_back(word_);
        }
    }
    word_.clear();
}

void HostsScan::EndLine() {
    EndWord();
    if (entry_) tally.Add(judge_);
    if (entry_ && recordsPerKind) Record();
    names_.clear();
    if (entry_ && offset_ > listFrom_ && ++entries <= keep_) listed.push_back(line_);
    if (!entry_ && allowedMapping_) ++allowedLines;
    for (std::size_t i = 0; i < watchedHere_.size(); ++i) {
        if (watchedHere_[i] && !watched[i].line) watched[i].line = line_;
        watchedHere_[i] = false;
    }
    line_.clear();
    words_ = 0;
    comment_ = toThisComputer_ = entry_ = allowedMapping_ = false;
}

void HostsScan::Record() {
    const EntryKind kind = judge_.Kind();
    std::size_t& recorded = recorded_[static_cast<std::size_t>(kind)];
    if (recorded == recordsPerKind) return;
    ++recorded;
    records.push_back({lineNumber_, address_, std::move(names_), kind, judge_.AccountSite()});
}

AllowList::AllowList(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t end = std::min(bytes.find_first_of("\r\n"), bytes.size());
        const std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(std::min(end + 1, bytes.size()));
        std::string_view rest = line.substr(0, line.find('#'));
        std::vector<std::string_view> words;
        while (!rest.empty()) {
            const std::size_t start = std::min(rest.find_first_not_of(" \t\v\f"), rest.size());
            rest.remove_prefix(start);
            const std::size_t length = std::min(rest.find_first_of(" \t\v\f"), rest.size());
            if (length) words.push_back(rest.substr(0, length));
            rest.remove_prefix(length);
        }
        if (words.size() < 2) continue;  // a comment, a blank line, an address without a name
        lines.emplace_back(line);
        for (std::size_t i = 1; i < words.size(); ++i)
            mappings_.insert(AsciiLower(words[0]) + ' ' + AsciiLower(words[i]));
    }
}

bool AllowList::Allows(std::string_view address, std::string_view name) const {
    return mappings_.count(AsciiLower(address) + ' ' + AsciiLower(name)) > 0;
}

bool MapsServer(std::string_view name, std::string_view server) {
    const auto trimmed = [](std::string_view n) { return n.ends_with('.') ? n.substr(0, n.size() - 1) : n; };
    name = trimmed(name);
    server = trimmed(server);
    if (server.empty()) return false;
    if (AsciiEqualNoCase(name, server)) return true;
    return server.find('.') == std::string_view::npos && name.size() > server.size() && name[server.size()] == '.' &&
           AsciiEqualNoCase(name.substr(0, server.size()), server);
}
