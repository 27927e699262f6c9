// The copies of the hosts file beside it, and the names by the time that they and the .reg
// files take: how they are named, ordered, made piece by piece, and found again.
#include "hosts/HostsCopies.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <tuple>

#include "hosts/HostsStore.h"
#include "hosts/StockHosts.h"

namespace {

std::wstring TimeStamp(const LocalTime& t) {
    wchar_t stamp[32];
    std::swprintf(stamp, 32, L"%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return stamp;
}

// Where a copy stands among the others: "hosts.<yyyyMMdd-HHmmss>[-n].bak" by its time, then by n;
// a name of another form after all of ours, by the name.
std::tuple<bool, std::wstring, long> CopyOrder(const std::wstring& name) {
    const std::wstring middle = name.size() > 10 ? name.substr(6, name.size() - 10) : name;  // "hosts." ... ".bak"
    const bool digits = middle.size() >= 15 && std::all_of(middle.begin(), middle.begin() + 15,
                                                   [](wchar_t c) { return c == L'-' || (c >= L'0' && c <= L'9'); });
    const bool ours = digits && middle[8] == L'-' && (middle.size() == 15 || middle[15] == L'-');
    if (!ours) return {false, name, 0};
    return {true, middle.substr(0, 15), middle.size() > 16 ? std::wcstol(middle.c_str() + 16, nullptr, 10) : 1};
}

}  // namespace

std::wstring CopyName(const std::wstring& path, const LocalTime& now, int n, std::wstring_view ending) {
    return path + L"." + TimeStamp(now) + (n > 1 ? L"-" + std::to_wstring(n) : L"") + std::wstring(ending);
}

std::unique_ptr<OutputFile> CreateNumbered(
    FileSystem& fs, const std::function<std::wstring(int)>& name, std::wstring& path) {
    for (int n = 1;; ++n) {
        path = name(n);
        try {
            return fs.CreateNew(path);
        } catch (const Failure& f) {
            if (f.Code() != win::ErrorFileExists || n == MaxNumber) throw;
        }
    }
}

std::unique_ptr<OutputFile> CreateStamped(
    FileSystem& fs, const std::wstring& path, const LocalTime& now, std::wstring_view ending, std::wstring& made) {
    return CreateNumbered(
        fs, [&](int n) { return CopyName(path, now, n, ending); }, made);
}

void Quietly(const std::function<void()>& undo) {
    try {
        undo();
    } catch (const Failure&) {
    }
}

bool SameBytes(FileSystem& fs, const std::wstring& a, const std::wstring& b) {
    const std::unique_ptr<InputFile> left = fs.OpenToRead(a), right = fs.OpenToRead(b);
    if (!left || !right) return false;
    std::string_view x, y;
    for (;;) {
        if (x.empty()) x = left->Read();
        if (y.empty()) y = right->Read();
        if (x.empty() || y.empty()) return x.empty() && y.empty();
        const std::size_t n = std::min(x.size(), y.size());
        if (x.substr(0, n) != y.substr(0, n)) return false;
        x.remove_prefix(n);
        y.remove_prefix(n);
    }
}

std::wstring WriteStamped(
    FileSystem& fs, const std::wstring& path, const LocalTime& now, std::wstring_view ending, std::string_view bytes) {
    std::wstring made;
    std::unique_ptr<OutputFile> file = CreateStamped(fs, path, now, ending, made);
    try {
        file->Write(bytes);
        file->Close();
    } catch (const Failure&) {
        Quietly([&] {
            file.reset();
            fs.Delete(made);
        });
        throw;
    }
    return made;
}

std::vector<FoundFile> HostsCopies(FileSystem& fs, const std::wstring& path) {
    std::vector<FoundFile> copies = fs.Find(path + L".*.bak");
    std::sort(copies.begin(), copies.end(),
        [](const FoundFile& a, const FoundFile& b) { return CopyOrder(b.name) < CopyOrder(a.name); });
    return copies;
}

std::wstring HostsStore::BackupHosts(const std::wstring& path, const LocalTime& now) {
    Checked(path);
    if (const std::optional<std::wstring> earlier = EarlierCopy(path)) return *earlier;
    return NewCopy(path, now);
}

// An earlier copy with the same bytes is named rather than made again: a start-up script that
// repairs a file which malware keeps writing back must not fill the disk. The bytes themselves are
// compared, side by side, whatever the file's size. Empty: no copy is needed (the file is missing
// or stock); nothing: none has its bytes.
std::optional<std::wstring> HostsStore::EarlierCopy(const std::wstring& path) {
    const std::vector<FoundFile> earlier = fs_.Find(path + L".*.bak");
    if (earlier.empty()) return std::nullopt;
    std::uint64_t size = 0;
    std::string head;  // the first bytes, while they may still be the stock file's
    const bool exists = fs_.ReadChunks(path, [&](std::string_view chunk) {
        if (size + chunk.size() <= StockHostsBytes().size()) head += chunk;
        size += chunk.size();
    });
    if (!exists || (head.size() == size && head == StockHostsBytes())) return L"";
    const std::wstring folder = path.substr(0, path.rfind(L'\\') + 1);
    for (const FoundFile& found : earlier) {
        bool same = false;
        if (found.size != size) continue;
        Quietly([&] {
            Checked(folder + found.name);  // a copy that is a link is never taken for one
            same = SameBytes(fs_, path, folder + found.name);
        });
        if (same) return folder + found.name;
    }
    return std::nullopt;
}

// The file's bytes copied piece by piece into a new file named by the time, once they are known
// not to be the stock file's; no part of a copy stays when it fails.
std::wstring HostsStore::NewCopy(const std::wstring& path, const LocalTime& now) {
    const std::string stock = StockHostsBytes();
    std::string head;  // the file's first bytes, while they may still be the stock file
    std::unique_ptr<OutputFile> copy;
    std::wstring copyPath;
    const auto startCopy = [&] {
        copy = CreateStamped(fs_, path, now, L".bak", copyPath);
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
        if (copy)
            Quietly([&] {
                copy.reset();
                fs_.Delete(copyPath);
            });
        throw;
    }
    return copyPath;
}
