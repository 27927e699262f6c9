#include "Module1/Module1.h"

#include <cstring>
#include <limits>

namespace {

// Bytes of a TOKEN_PRIVILEGES holding `count` entries: 4 + 12 x count.
std::uint32_t PrivilegesLength(std::int32_t count) {
    const std::int64_t bytes = 4 + 12 * static_cast<std::int64_t>(count);
    if (bytes > std::numeric_limits<std::int32_t>::max() || bytes < std::numeric_limits<std::int32_t>::min())
        throw Failure(win::ErrorArithmeticOverflow, L"");
    return static_cast<std::uint32_t>(bytes);
}

// A call that answered FALSE: its error, as the thread's last error holds it.
[[noreturn]] void Refused(RebootCalls& calls, const wchar_t* what) { throw Failure(calls.GetLastError(), what); }

}  // namespace

static_assert(sizeof(OsVersionInfo) == 148);
static_assert(sizeof(PrivilegeRecord) == 28);

bool IsWinNT(RebootCalls& calls) {
    OsVersionInfo info{};
    info.size = sizeof info;
    calls.GetVersionExA(info);
    return info.platformId == win::PlatformIdNt;
}

void EnableShutdownPrivilege(RebootCalls& calls) {
    const RebootCalls::Handle process = calls.GetCurrentProcess();
    RebootCalls::Handle token = 0;
    if (!calls.OpenProcessToken(process, win::TokenAdjustPrivileges | win::TokenQuery, token))
        Refused(calls, L"OpenProcessToken");
    Luid luid{};
    if (!calls.LookupPrivilegeValueA("", "SeShutdownPrivilege", luid)) Refused(calls, L"SeShutdownPrivilege");

    PrivilegeRecord wanted{};
    wanted.count = 1;
    std::memcpy(&wanted.privileges[0].luid, &luid, sizeof luid);
    wanted.privileges[0].attributes = win::PrivilegeEnabled;
    PrivilegeRecord previous{};
    std::uint32_t returnLength = PrivilegesLength(static_cast<std::int32_t>(previous.count));
    // Success with ERROR_NOT_ALL_ASSIGNED means the token does not hold the privilege at all.
    if (!calls.AdjustTokenPrivileges(
            token, 0, wanted, PrivilegesLength(static_cast<std::int32_t>(wanted.count)), previous, returnLength) ||
        calls.GetLastError() == win::ErrorNotAllAssigned)
        Refused(calls, L"SeShutdownPrivilege");
    // The token stays open until the process ends.
}

void RebootMachine(RebootCalls& calls, const bool& force) {
    const std::uint32_t flags = force ? win::ExitReboot | win::ExitForce : win::ExitReboot;
    if (IsWinNT(calls)) EnableShutdownPrivilege(calls);
    if (!calls.ExitWindowsEx(flags, 0)) Refused(calls, L"ExitWindowsEx");
}
