#pragma once
// Restarting Windows, with the shutdown privilege enabled first on the NT family.
#include <cstdint>

// The ANSI version record (OSVERSIONINFOA): 148 bytes.
struct OsVersionInfo {
    std::uint32_t size, major, minor, build, platformId;
    char servicePack[128];
};

struct Luid {
    std::uint32_t low;
    std::int32_t high;
};

struct LuidAndAttributes {
    Luid luid;
    std::uint32_t attributes;
};

// TOKEN_PRIVILEGES with room for two entries.
struct PrivilegeRecord {
    std::uint32_t count;
    LuidAndAttributes privileges[2];
};

// The system calls the restart needs, so that tests can record them.
class RebootCalls {
public:
    using Handle = std::uintptr_t;
    virtual ~RebootCalls() = default;
    virtual std::int32_t GetVersionExA(OsVersionInfo& info) = 0;
    virtual Handle GetCurrentProcess() = 0;
    virtual std::int32_t OpenProcessToken(Handle process, std::uint32_t access, Handle& token) = 0;
    virtual std::int32_t LookupPrivilegeValueA(const char* systemName, const char* name, Luid& luid) = 0;
    virtual std::int32_t AdjustTokenPrivileges(Handle token, std::int32_t disableAll, PrivilegeRecord& newState,
                                               std::uint32_t bufferLength, PrivilegeRecord& previousState,
                                               std::uint32_t& returnLength) = 0;
    virtual std::int32_t ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) = 0;
};

inline constexpr std::uint32_t PlatformIdNt = 2;  // VER_PLATFORM_WIN32_NT
inline constexpr std::uint32_t ExitReboot = 2;    // EWX_REBOOT
inline constexpr std::uint32_t ExitForce = 4;     // EWX_FORCE: other programs are closed without asking

bool IsWinNT(RebootCalls& calls);
void EnableShutdownPrivilege(RebootCalls& calls);
// Only requests the restart; returns at once. No result is looked at.
void RebootMachine(RebootCalls& calls, const bool& force);
