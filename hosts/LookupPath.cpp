#include "hosts/LookupPath.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr const wchar_t* KindWords[] = {L"ics", L"proxy", L"pac", L"winhttp", L"dns", L"nrpt", L"winsock"};
constexpr std::size_t MaxPath = 260;
constexpr std::uint32_t NamedProxyFlag = 2;

std::wstring Lower(std::wstring_view text) {
    std::wstring lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; });
    return lower;
}

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

std::wstring OtherField(const std::vector<Finding>& findings) {
    std::wstring field;
    for (std::size_t kind = 0; kind < std::size(KindWords); ++kind)
        if (std::any_of(findings.begin(), findings.end(), [&](const Finding& f) { return static_cast<std::size_t>(f.kind) == kind; }))
            field += (field.empty() ? L"" : L",") + std::wstring(KindWords[kind]);
    return field.empty() ? L"none" : field;
}

WinHttpProxy DecodeWinHttpSettings(std::string_view value) {
    WinHttpProxy settings;
    std::size_t at = 0;
    const auto number = [&](std::uint32_t& n) {
        if (value.size() - at < 4) return false;
        n = 0;
        for (int i = 3; i >= 0; --i) n = n << 8 | static_cast<unsigned char>(value[at + i]);
        at += 4;
        return true;
    };
    const auto text = [&](std::string& s) {
        std::uint32_t length = 0;
        if (!number(length) || value.size() - at < length) return false;
        s = value.substr(at, length);
        at += length;
        return true;
    };
    std::uint32_t version = 0, counter = 0, flags = 0;
    if (!number(version) || !number(counter) || !number(flags) || !text(settings.proxy) || !text(settings.bypass))
        settings.state = WinHttpProxy::Damaged;
    else if (flags & NamedProxyFlag)
        settings.state = WinHttpProxy::Named;
    return settings;
}

bool ProxyToThisComputer(std::wstring_view list) {
    const std::wstring lower = Lower(list);
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
    const std::wstring lower = Lower(url);
    return lower.starts_with(L"file:") || IsLoopback(HostOf(lower));
}

std::string CatalogDllPath(std::string_view packed) {
    packed = packed.substr(0, MaxPath);
    return std::string(packed.substr(0, packed.find('\0')));
}

bool InSystemFolder(std::wstring_view path, std::wstring_view systemDir) {
    const std::size_t slash = path.rfind(L'\\');
    if (slash == path.npos) return false;
    return Lower(path.substr(0, slash)) == Lower(systemDir);
}

bool IsUserHive(std::wstring_view name) {
    return name.starts_with(L"S-1-5-21-") && !Lower(name).ends_with(L"_classes");
}
