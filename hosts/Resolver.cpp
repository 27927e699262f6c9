#include "hosts/Resolver.h"

#include <algorithm>

namespace {

constexpr unsigned FlushSeconds = 30;

// A folder as Windows compares it: case-blind (folder names the default could match are
// ASCII), without trailing backslashes.
std::wstring Folded(std::wstring folder) {
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    std::transform(folder.begin(), folder.end(), folder.begin(),
                   [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; });
    return folder;
}

}  // namespace

std::optional<std::wstring> HostsRedirect(const Platform& s) {
    const std::optional<RegistryText> value = s.settings.Read(TcpipParameters, DataBasePath);
    if (!value) return std::nullopt;
    const std::wstring folder = value->type == win::RegExpandSz ? s.env.Expand(value->text) : value->text;
    const bool isDefault = (value->type == win::RegSz || value->type == win::RegExpandSz) &&
                           (Folded(folder) == Folded(s.env.Expand(DefaultHostsFolder)) ||
                            Folded(value->text) == Folded(DefaultHostsFolder));
    if (isDefault) return std::nullopt;
    return value->text;
}

void ResetHostsRedirect(const Platform& s) {
    s.settings.Write(TcpipParameters, DataBasePath, {win::RegExpandSz, DefaultHostsFolder});
}

std::uint32_t FlushDnsCache(const Platform& s) {
    try {
        const std::wstring ipconfig = s.env.SystemDirectory() + L"\\ipconfig.exe";
        return s.processes.RunHidden(ipconfig, L"\"" + ipconfig + L"\" /flushdns", FlushSeconds);
    } catch (const Failure& f) {
        return f.Code();
    }
}
