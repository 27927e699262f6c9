#include "lookup/ProxyRules.h"

#include <algorithm>
#include <string>

#include "app/Ascii.h"

namespace {

// The host of "[scheme://]host[:port][/path]", or of "[v6]:port".
std::wstring_view HostOf(std::wstring_view server) {
    if (const std::size_t scheme = server.find(L"://"); scheme != server.npos) server.remove_prefix(scheme + 3);
    if (server.starts_with(L'[')) return server.substr(1, server.find(L']') - 1);
    return server.substr(0, server.find_first_of(L":/"));
}

bool IsLoopback(std::wstring_view host) {
    if (host.ends_with(L'.')) host.remove_suffix(1);
    return host == L"localhost" || host == L"::1" || host.starts_with(L"127.");
}

}  // namespace

bool ProxyToThisComputer(std::wstring_view list) {
    const std::wstring lower = AsciiLower(list);
    for (std::size_t at = 0; at < lower.size();) {
        const std::size_t end = std::min(lower.find_first_of(L"; \t", at), lower.size());
        std::wstring_view server = std::wstring_view(lower).substr(at, end - at);
        if (const std::size_t equals = server.find(L'='); equals != server.npos) server.remove_prefix(equals + 1);
        if (!server.empty() && IsLoopback(HostOf(server))) return true;
        at = end + 1;
    }
    return false;
}

bool ScriptOnThisComputer(std::wstring_view url) {
    const std::wstring lower = AsciiLower(url);
    return lower.starts_with(L"file:") || IsLoopback(HostOf(lower));
}
