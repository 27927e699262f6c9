#include "hosts/HostsStore.h"

#include "app/Ascii.h"
#include "app/NoLinks.h"
#include "hosts/HostsCopies.h"
#include "hosts/HostsMessages.h"
#include "hosts/StockHosts.h"

namespace {

// The attributes with which malware keeps a hosts file from being replaced.
constexpr std::uint32_t Protecting = win::FileAttributeReadOnly | win::FileAttributeHidden | win::FileAttributeSystem;

// What the new files of a run are called: "hosts.hostovik-<process>-<n>.tmp".
constexpr std::wstring_view NewFileTag = L".hostovik-", NewFileEnd = L".tmp";

// Clears the protecting attributes, which would refuse the replace; returns the file's
// attributes when it changed them, to be put back if the repair fails.
std::optional<std::uint32_t> Unprotect(FileSystem& fs, const std::wstring& path) {
    const std::optional<std::uint32_t> attributes = fs.Attributes(path);
    if (!attributes || !(*attributes & Protecting)) return std::nullopt;
    const std::uint32_t rest = *attributes & ~Protecting;
    fs.SetAttributes(path, rest ? rest : win::FileAttributeNormal);
    return attributes;
}

}  // namespace

std::wstring HostsPathFor(std::wstring_view windowsDir) { return std::wstring(windowsDir) + std::wstring(HostsSuffix); }

template <class Step>
auto HostsStore::Retried(Step&& step, int attempts) -> decltype(step()) {
    for (int attempt = 1;; ++attempt) {
        try {
            return step();
        } catch (const Failure& f) {
            if (attempt >= attempts || !Held(f)) throw;
        }
        clock_.Sleep(HeldPauseMs);
    }
}

// Another program holds the file: a sharing or lock violation, or an access denied that an
// open sharing nothing shows to be one.
bool HostsStore::Held(const Failure& f) {
    return HeldByAnother(f) || (f.Code() == win::ErrorAccessDenied && fs_.InUse(hostsPath_));
}

bool HostsStore::Through(const std::function<void()>& step) {
    try {
        Retried(step, held_ ? 1 : HeldAttempts);
        return true;
    } catch (const Failure& f) {
        if (!mayWait_ || !Held(f)) throw;
        held_ = true;
        return false;
    }
}

HostsStore::~HostsStore() { Discard(); }

void HostsStore::Discard() {
    if (!out_) return;
    out_.reset();
    Quietly([this] { fs_.Delete(newPath_); });
}

Failure HostsStore::LeftAsItWas(const Failure& f) const {
    return Failure(f.Code(), (LinkRefused(f) ? f.Subject() : hostsPath_) + L"\n" + std::wstring(HostsLeftAsItWas));
}

void HostsStore::Checked(const std::wstring& path) {
    if (!mayWait_) RefuseLinks(fs_, path);
}

bool HostsStore::ReadHostsBytes(const std::wstring& path, const std::function<void(std::string_view)>& chunk) {
    hostsPath_ = path;
    std::uint64_t handed = 0;  // a read tried again passes over what an earlier try handed on
    return Retried(
        [&] {
            std::uint64_t at = 0;
            Checked(path);
            return fs_.ReadChunks(path, [&](std::string_view piece) {
                const std::size_t skip =
                    static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), handed - std::min(handed, at)));
                at += piece.size();
                if (skip == piece.size()) return;
                handed += piece.size() - skip;
                chunk(piece.substr(skip));
            });
        },
        HeldAttempts);
}

std::optional<HostsChange> HostsStore::PendingChange(const std::wstring& path) {
    if (!mayWait_) return std::nullopt;
    HostsChange pending;
    pending.state = HostsChange::Pending;
    const std::wstring hosts = AsciiLower(path), ours = hosts + std::wstring(NewFileTag);
    for (const PendingMove& move : fs_.PendingMoves()) {
        const std::wstring from = AsciiLower(move.from);
        if (AsciiLower(move.to) == hosts && from.starts_with(ours) && from.ends_with(NewFileEnd) &&
            fs_.Attributes(move.from))
            pending.newFile = move.from;
        if (from == hosts && !move.to.empty()) {
            pending.copy = move.to;
            pending.copyAtRestart = true;
        }
    }
    if (pending.newFile.empty()) return std::nullopt;
    return pending;
}

void HostsStore::OpenHostsForOutput(const std::wstring& path) {
    Discard();
    hostsPath_ = path;
    const std::wstring base = path + std::wstring(NewFileTag) + std::to_wstring(processes_.CurrentProcessId()) + L"-";
    try {
        Checked(path);
        out_ = CreateNumbered(
            fs_, [&](int n) { return base + std::to_wstring(n) + std::wstring(NewFileEnd); }, newPath_);
    } catch (const Failure& f) {
        throw LeftAsItWas(f);
    }
}

void HostsStore::WriteStockHosts(std::string_view after) {
    try {
        out_->Write(StockHostsBytes());
        out_->Write(after);
    } catch (const Failure& f) {
        Discard();
        throw LeftAsItWas(f);
    }
}

void HostsStore::WriteHostsFrom(const std::wstring& source) {
    try {
        if (!fs_.ReadOrdinaryFile(source, [this](std::string_view chunk) { out_->Write(chunk); }))
            throw Failure(win::ErrorFileNotFound, source);
    } catch (const Failure&) {
        Discard();
        throw;  // the file asked for is the one to name
    }
}

// Until the replace takes effect or is left to the next start, a failure undoes the repair:
// the hosts file's attributes go back, a move of it asked for the restart is reversed, and the
// new file goes. Unless the replace took effect all the same (a reply lost on its way back from
// a share): then there is nothing to undo, and attributes put back would protect the new file.
struct HostsStore::Rollback {
    explicit Rollback(HostsStore& s) : store(s) {}
    HostsStore& store;
    std::optional<std::uint32_t> attributes;  // the hosts file's, when the repair changed them
    std::wstring renamedTo;                   // its name at the restart, once that move is asked
    bool done = false;

    ~Rollback() {
        if (done) return;
        if (!store.NewFileStays()) {
            store.out_.reset();
            store.replaced_ = true;
            return;
        }
        FileSystem& fs = store.fs_;
        if (attributes) Quietly([&] { fs.SetAttributes(store.hostsPath_, *attributes); });
        if (!renamedTo.empty()) Quietly([&] { fs.MoveAtRestart(renamedTo, store.hostsPath_, false); });
        store.Discard();
    }
};

HostsChange HostsStore::PutHosts(const std::wstring& path, const std::function<void(HostsStore&)>& write) {
    const std::optional<HostsChange> pending = PendingChange(path);
    OpenHostsForOutput(path);
    write(*this);
    return pending ? TakeOver(*pending) : CloseHosts();
}

// An earlier run's replace waits for the restart. It stands when its new file holds the bytes
// this run wrote; otherwise this run's file takes that file's place, in one step, so that the
// moves Windows makes at its start, in the order the earlier run asked for them (the old file
// to its copy first, where it was held sharing nothing), bring this run's bytes. A move once
// asked for cannot be taken back one by one; the copy of the old file is never touched.
HostsChange HostsStore::TakeOver(HostsChange pending) {
    try {
        out_->Close();
        if (SameBytes(fs_, newPath_, pending.newFile)) {
            Discard();
            return pending;
        }
        fs_.Replace(newPath_, pending.newFile);
        out_.reset();
    } catch (const Failure& f) {
        Discard();
        throw LeftAsItWas(f);
    }
    pending.state = HostsChange::AtRestart;
    pending.holders = fs_.Holders(hostsPath_);
    return pending;
}

HostsChange HostsStore::CloseHosts() {
    replaced_ = held_ = false;
    HostsChange change;
    if (!out_) return change;
    try {
        Rollback rollback(*this);
        out_->Close();
        Checked(newPath_);
        // A holder that denies deletion is found before anything changes; one that allows it,
        // only by the replace.
        const bool free = Through([&] { fs_.ProbeReplaceable(hostsPath_); });
        const bool copied = Through([&] { change.copy = BackupHosts(hostsPath_, clock_.Now()); });
        rollback.attributes = Unprotect(fs_, hostsPath_);
        if (free && Through([&] {
                Checked(hostsPath_);
                fs_.Replace(newPath_, hostsPath_);
            }))
            replaced_ = true;
        else ScheduleAtRestart(change, copied, rollback);
        rollback.done = true;
        out_.reset();
    } catch (const Failure& f) {
        if (!replaced_) throw LeftAsItWas(f);
        throw Failure(f.Code(), hostsPath_ + L"\n" + HostsReplacedAnyway(change.copy));
    }
    return change;
}

// Windows moves the files at its next start, before any program can hold hosts. With no copy
// made now, the old file first becomes its own copy, and the new file then takes a free name,
// never replacing: if the first move fails, the second cannot lose the old file.
void HostsStore::ScheduleAtRestart(HostsChange& change, bool copied, Rollback& rollback) {
    change.state = HostsChange::AtRestart;
    change.newFile = newPath_;
    change.holders = fs_.Holders(hostsPath_);
    if (!copied) {
        const LocalTime now = clock_.Now();
        for (int n = 1; n <= MaxNumber && (change.copy.empty() || fs_.Attributes(change.copy)); ++n)
            change.copy = CopyName(hostsPath_, now, n);
        change.copyAtRestart = true;
        fs_.MoveAtRestart(hostsPath_, change.copy, false);
        rollback.renamedTo = change.copy;
    }
    fs_.MoveAtRestart(newPath_, hostsPath_, copied);
}

bool HostsStore::NewFileStays() {
    try {
        return fs_.Attributes(newPath_).has_value();
    } catch (const Failure&) {
        return true;  // unknown: the safe guess is that nothing happened yet
    }
}
