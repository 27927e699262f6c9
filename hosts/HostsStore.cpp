#include "hosts/HostsStore.h"

#include <cstdio>

#include "hosts/StockHosts.h"

namespace {

// Where the new content is written until it is complete.
constexpr std::wstring_view NewFileSuffix = L".hostovik-new";
// Copies made within one second get "-2", "-3"... before ".bak".
constexpr int MaxBackupsPerSecond = 99;

std::wstring TimeStamp(const LocalTime& t) {
    wchar_t stamp[32];
    std::swprintf(stamp, 32, L"%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return stamp;
}

// Removes a file of our own after a failure; the failure that brought us here is the
// one the user must see, so a failure to remove it is not reported over it.
void DeleteLeftover(FileSystem& fs, const std::wstring& path) {
    try {
        fs.Delete(path);
    } catch (const Failure&) {
    }
}

}  // namespace

std::wstring HostsPathFor(std::wstring_view windowsDir) {
    return std::wstring(windowsDir) + std::wstring(HostsSuffix);
}

std::optional<std::string> HostsStore::ReadHostsBytes(const std::wstring& path) {
    return fs_.ReadAll(path);
}

void HostsStore::OpenHostsForOutput(const std::wstring& path) {
    CloseHosts();
    fs_.ProbeWritable(path);
    hostsPath_ = path;
    newPath_ = path + std::wstring(NewFileSuffix);
    out_ = fs_.Create(newPath_, false);
}

void HostsStore::WriteStockHosts() {
    WriteOrDiscard(StockHostsBytes(cp_));
}

void HostsStore::WriteOrDiscard(std::string_view bytes) {
    try {
        out_->Write(bytes);
    } catch (...) {
        DiscardOutput();
        throw;
    }
}

void HostsStore::CloseHosts() {
    if (!out_) return;
    try {
        out_->Close();
        fs_.Replace(newPath_, hostsPath_);
        out_.reset();
    } catch (...) {
        DiscardOutput();
        throw;
    }
}

void HostsStore::DiscardOutput() {
    out_.reset();
    DeleteLeftover(fs_, newPath_);
}

void HostsStore::DeleteHosts(const std::wstring& path) {
    fs_.Delete(path);
}

void HostsStore::BackupHosts(const std::wstring& path, const LocalTime& now) {
    const std::optional<std::string> bytes = fs_.ReadAll(path);
    if (!bytes || *bytes == StockHostsBytes(cp_)) return;

    const std::wstring base = path + L"." + TimeStamp(now);
    for (int n = 1;; ++n) {
        const std::wstring copy = base + (n > 1 ? L"-" + std::to_wstring(n) : L"") + L".bak";
        std::unique_ptr<OutputFile> file;
        try {
            file = fs_.Create(copy, true);
        } catch (const Failure& f) {
            if (f.Code() == win::ErrorFileExists && n < MaxBackupsPerSecond) continue;
            throw;
        }
        try {
            file->Write(*bytes);
            file->Close();
        } catch (...) {
            file.reset();
            DeleteLeftover(fs_, copy);
            throw;
        }
        return;
    }
}
