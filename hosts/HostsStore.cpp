#include "hosts/HostsStore.h"

#include <cstdio>

#include "hosts/HostsMessages.h"
#include "hosts/StockHosts.h"

namespace {

// Numbered names tried when one is taken: copies made within one second, or new files an
// earlier run left behind.
constexpr int MaxNumber = 99;

// About two seconds for a program that holds the file for a moment to let it go.
constexpr int HeldAttempts = 20;
constexpr unsigned HeldPauseMs = 100;

// The attributes with which malware keeps a hosts file from being replaced.
constexpr std::uint32_t Protecting = win::FileAttributeReadOnly | win::FileAttributeHidden | win::FileAttributeSystem;

std::wstring TimeStamp(const LocalTime& t) {
    wchar_t stamp[32];
    std::swprintf(stamp, 32, L"%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return stamp;
}

// A new file under the first free name of `name(1)`, `name(2)`...; `path` receives it.
std::unique_ptr<OutputFile> CreateNumbered(FileSystem& fs, const std::function<std::wstring(int)>& name,
                                           std::wstring& path) {
    for (int n = 1;; ++n) {
        path = name(n);
        try {
            return fs.CreateNew(path);
        } catch (const Failure& f) {
            if (f.Code() != win::ErrorFileExists || n == MaxNumber) throw;
        }
    }
}

// Clears the protecting attributes, which would refuse the replace; returns the file's
// attributes when it changed them, to be put back if the repair fails.
std::optional<std::uint32_t> Unprotect(FileSystem& fs, const std::wstring& path) {
    const std::optional<std::uint32_t> attributes = fs.Attributes(path);
    if (!attributes || !(*attributes & Protecting)) return std::nullopt;
    const std::uint32_t rest = *attributes & ~Protecting;
    fs.SetAttributes(path, rest ? rest : win::FileAttributeNormal);
    return attributes;
}

// Cleaning up after a failure: the failure that brought us here is the one the user must
// see, so a failure to clean up is not reported over it.
void Quietly(const std::function<void()>& undo) {
    try {
        undo();
    } catch (const Failure&) {
    }
}

}  // namespace

std::wstring HostsPathFor(std::wstring_view windowsDir) {
    return std::wstring(windowsDir) + std::wstring(HostsSuffix);
}

template <class Step>
auto HostsStore::Retried(Step&& step) -> decltype(step()) {
    for (int attempt = 1;; ++attempt) {
        try {
            return step();
        } catch (const Failure& f) {
            const bool held = f.Code() == win::ErrorSharingViolation || f.Code() == win::ErrorLockViolation;
            if (!held || attempt == HeldAttempts) throw;
        }
        clock_.Sleep(HeldPauseMs);
    }
}

HostsStore::~HostsStore() {
    Discard();
}

void HostsStore::Discard() {
    if (!out_) return;
    out_.reset();
    Quietly([this] { fs_.Delete(newPath_); });
}

bool HostsStore::ReadHostsBytes(const std::wstring& path, const std::function<void(std::string_view)>& chunk) {
    return fs_.ReadChunks(path, chunk);
}

void HostsStore::Abandon() {
    Discard();
    try {
        throw;
    } catch (const Failure& f) {
        throw Failure(f.Code(), hostsPath_ + L"\n" + std::wstring(HostsLeftAsItWas));
    }
}

void HostsStore::OpenHostsForOutput(const std::wstring& path) {
    Discard();
    hostsPath_ = path;
    const std::wstring base = path + L".hostovik-" + std::to_wstring(processes_.CurrentProcessId()) + L"-";
    try {
        out_ = CreateNumbered(fs_, [&](int n) { return base + std::to_wstring(n) + L".tmp"; }, newPath_);
    } catch (...) {
        Abandon();
    }
}

void HostsStore::WriteStockHosts() {
    try {
        out_->Write(StockHostsBytes());
    } catch (...) {
        Abandon();
    }
}

void HostsStore::WriteHostsFrom(const std::wstring& source) {
    try {
        if (!fs_.ReadChunks(source, [this](std::string_view chunk) { out_->Write(chunk); }))
            throw Failure(win::ErrorFileNotFound, source);
    } catch (...) {
        Discard();
        throw;  // the file asked for is the one to name
    }
}

std::wstring HostsStore::CloseHosts() {
    replaced_ = false;
    if (!out_) return L"";
    std::wstring backup;
    std::optional<std::uint32_t> attributes;  // the hosts file's, when the repair changed them
    try {
        out_->Close();
        Retried([&] { fs_.ProbeReplaceable(hostsPath_); });
        backup = Retried([&] { return BackupHosts(hostsPath_, clock_.Now()); });
        attributes = Unprotect(fs_, hostsPath_);
        Retried([&] { fs_.Replace(newPath_, hostsPath_); });
        out_.reset();
        replaced_ = true;
        return backup;
    } catch (...) {
        // A replace can take effect and still report a failure (a reply lost on its way back from
        // a share). Then there is nothing to undo: attributes put back would protect the new file.
        if (!NewFileStays()) {
            out_.reset();
            replaced_ = true;
            try {
                throw;
            } catch (const Failure& f) {
                throw Failure(f.Code(), hostsPath_ + L"\n" + HostsReplacedAnyway(backup));
            }
        }
        if (attributes) Quietly([&] { fs_.SetAttributes(hostsPath_, *attributes); });
        Abandon();
    }
}

bool HostsStore::NewFileStays() {
    try {
        return fs_.Attributes(newPath_).has_value();
    } catch (const Failure&) {
        return true;  // unknown: the safe guess is that nothing happened yet
    }
}

std::wstring HostsStore::BackupHosts(const std::wstring& path, const LocalTime& now) {
    const std::string stock = StockHostsBytes();
    const std::wstring base = path + L"." + TimeStamp(now);
    std::string head;  // the file's first bytes, while they may still be the stock file
    std::unique_ptr<OutputFile> copy;
    std::wstring copyPath;
    const auto startCopy = [&] {
        copy = CreateNumbered(fs_, [&](int n) { return base + (n > 1 ? L"-" + std::to_wstring(n) : L"") + L".bak"; },
                              copyPath);
        copy->Write(head);
    };
    try {
        const bool exists = fs_.ReadChunks(path, [&](std::string_view chunk) {
            if (copy) return copy->Write(chunk);
            head += chunk;
            if (head.size() > stock.size() || stock.compare(0, head.size(), head) != 0) startCopy();
        });
        if (!exists) return L"";
        if (!copy && head != stock) startCopy();
        if (copy) copy->Close();
    } catch (...) {
        if (copy) Quietly([&] { copy.reset(); fs_.Delete(copyPath); });
        throw;
    }
    return copyPath;
}
