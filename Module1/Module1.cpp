#include "Module1/Module1.h"

#include <cstring>
#include <limits>

#include "app/Failure.h"

namespace {

constexpr std::uint32_t TokenAdjustPrivileges = 0x20;
constexpr std::uint32_t TokenQuery = 0x08;
constexpr std::uint32_t PrivilegeEnabled = 2;  // SE_PRIVILEGE_ENABLED

// Bytes of a TOKEN_PRIVILEGES holding `count` entries: 4 + 12 x count.
std::uint32_t PrivilegesLength(std::int32_t count) {
    const std::int64_t bytes = 4 + 12 * static_cast<std::int64_t>(count);
    if (bytes > std::numeric_limits<std::int32_t>::max() || bytes < std::numeric_limits<std::int32_t>::min())
        throw Failure(win_error::ArithmeticOverflow, L"");
    return static_cast<std::uint32_t>(bytes);
}

}  // namespace

static_assert(sizeof(OsVersionInfo) == 148);
static_assert(sizeof(PrivilegeRecord) == 28);

bool IsWinNT(RebootCalls& calls) {
    OsVersionInfo info{};
    info.size = sizeof info;
    calls.GetVersionExA(info);
    return info.platformId == PlatformIdNt;
}

void EnableShutdownPrivilege(RebootCalls& calls) {
    const RebootCalls::Handle process = calls.GetCurrentProcess();
    RebootCalls::Handle token = 0;
    calls.OpenProcessToken(process, TokenAdjustPrivileges | TokenQuery, token);
    Luid luid{};
    calls.LookupPrivilegeValueA("", "SeShutdownPrivilege", luid);

    PrivilegeRecord wanted{};
    wanted.count = 1;
    std::memcpy(&wanted.privileges[0].luid, &luid, sizeof luid);
    wanted.privileges[0].attributes = PrivilegeEnabled;
    PrivilegeRecord previous{};
    std::uint32_t returnLength = PrivilegesLength(static_cast<std::int32_t>(previous.count));
    calls.AdjustTokenPrivileges(token, 0, wanted, PrivilegesLength(static_cast<std::int32_t>(wanted.count)),
                                previous, returnLength);
    // The token stays open until the process ends.
}

void RebootMachine(RebootCalls& calls, const bool& force) {
    const std::uint32_t flags = force ? ExitReboot | ExitForce : ExitReboot;
    if (IsWinNT(calls)) EnableShutdownPrivilege(calls);
    calls.ExitWindowsEx(flags, 0);
}
