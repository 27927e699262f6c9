#include "hosts/DnsCache.h"

namespace {

constexpr unsigned FlushSeconds = 30;

}  // namespace

std::uint32_t FlushDnsCache(const Platform& s) {
    try {
        const std::wstring ipconfig = s.env.SystemDirectory() + L"\\ipconfig.exe";
        return s.processes.RunHidden(ipconfig, L"\"" + ipconfig + L"\" /flushdns", FlushSeconds);
    } catch (const Failure& f) {
        return f.Code();
    }
}
