#include "console/Shares.h"

#include "app/Ascii.h"
#include "console/ConsoleMessages.h"
#include "console/Workflow.h"
#include "hosts/HostsStore.h"
#include "hosts/HostsText.h"
#include "lookup/WindowsRegistry.h"

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

}  // namespace

std::wstring ServerOf(std::wstring_view path) {
    if (path.size() < 3 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return L"";
    path.remove_prefix(2);
    if (path.size() >= 2 && (path[0] == L'?' || path[0] == L'.') && IsSeparator(path[1])) {
        path.remove_prefix(2);
        if (path.size() < 4 || AsciiLower(path.substr(0, 3)) != L"unc" || !IsSeparator(path[3])) return L"";
        path.remove_prefix(4);
    }
    std::size_t end = 0;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    return std::wstring(path.substr(0, end));
}

ShareGuard::ShareGuard(const Platform& s, const std::vector<std::wstring>& paths) {
    std::vector<std::wstring> servers;
    for (const std::wstring& path : paths)
        if (const std::wstring server = ServerOf(path); !server.empty()) servers.push_back(AsciiLower(server));
    if (servers.empty()) return;
    Read(s, HostsPathFor(s.env.WindowsDirectory()), servers, true);
    try {
        WindowsRegistry registry(s, L"");
        const std::optional<Redirect> redirect = registry.HostsRedirect();
        if (redirect && redirect->folder.empty()) unread_ = RedirectSaid(redirect->shown);
        else if (redirect) Read(s, redirect->folder + L"\\hosts", servers, false);
    } catch (const Failure& f) {
        unread_ = FailureWords(s.env, f);
    }
}

// The running Windows' own file with the hosts file's rights; the one of a folder that malware may
// have chosen with the run's ordinary rights, as every file but hosts and its copies.
void ShareGuard::Read(
    const Platform& s, const std::wstring& hostsFile, const std::vector<std::wstring>& servers, bool own) {
    HostsScan scan(0);
    for (const std::wstring& server : servers) scan.watched.push_back({s.cp.ToAnsi(server), std::nullopt});
    try {
        const auto take = [&](std::string_view chunk) { scan.Add(chunk); };
        if (own) HostsStore(s.files, s.processes, s.clock, true).ReadHostsBytes(hostsFile, take);
        else s.files.ReadOrdinaryFile(hostsFile, take);
        scan.Finish();
    } catch (const Failure& f) {
        unread_ = FailureWords(s.env, f);
        return;
    }
    for (std::size_t i = 0; i < servers.size(); ++i)
        if (scan.watched[i].line && !mapped_.count(servers[i]))
            mapped_[servers[i]] = Printable(s.cp.ToWide(*scan.watched[i].line));
}

std::optional<std::wstring> ShareGuard::Refusal(const std::wstring& path) const {
    const std::wstring server = ServerOf(path);
    if (server.empty()) return std::nullopt;
    if (unread_) return ShareUnchecked(Printable(server), *unread_);
    const auto mapped = mapped_.find(AsciiLower(server));
    if (mapped == mapped_.end()) return std::nullopt;
    return ShareMapped(Printable(server), mapped->second);
}

void ShareGuard::Check(const std::wstring& path) const {
    if (const std::optional<std::wstring> refusal = Refusal(path))
        throw Failure(win::ErrorNetworkAccessDenied, path + L"\n" + *refusal);
}
