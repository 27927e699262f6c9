#include "lookup/Inspection.h"

Inspection Inspect(const Platform& s, const std::wstring& windowsDir, const std::wstring& hostsPath,
    const std::function<void(WindowsRegistry&, const Redirect&)>& onRedirect) {
    Inspection result;
    const bool other = IsOtherInstallation(s, windowsDir);
    std::optional<WindowsRegistry> registry;
    try {
        registry.emplace(s, windowsDir);
    } catch (const Failure& f) {
        result.registryUnread = f;
        result.lookup = ReadLookupPath(s, nullptr, hostsPath, other);
        return result;
    }
    result.redirect = registry->HostsRedirect();
    result.lookup = ReadLookupPath(s, &*registry, hostsPath, other);
    try {
        registry->Unload();
    } catch (const Failure& f) {
        result.notUnloaded = f;
    }
    if (result.redirect) onRedirect(*registry, *result.redirect);
    return result;
}
