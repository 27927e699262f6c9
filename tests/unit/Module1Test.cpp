// The restart: every system call, its arguments and their order.
#include "Fakes.h"

namespace {

TEST(RebootMachine, EnablesTheShutdownPrivilegeOnlyOnNtThenRestarts) {
    const Journal privilege{
        L"GetCurrentProcess",
        L"OpenProcessToken 41 0x28",
        L"LookupPrivilegeValueA \"\" \"SeShutdownPrivilege\"",
        // token, disable-all 0, {count 1, the LUID copied, enabled}, length 16, zeroed previous, returned length 4
        L"AdjustTokenPrivileges 77 0 { 1 2309737967 -2 2 } 16 previous-zero 4",
    };
    const struct { std::uint32_t platformId; bool force; bool nt; const wchar_t* exit; } cases[] = {
        {2, true, true, L"ExitWindowsEx 6 0"},
        {2, false, true, L"ExitWindowsEx 2 0"},
        {1, true, false, L"ExitWindowsEx 6 0"},   // Windows 9x
        {0, false, false, L"ExitWindowsEx 2 0"},  // the version query failed
    };
    for (const auto& c : cases) {
        Journal log;
        FakeReboot calls(log);
        calls.platformId = c.platformId;
        RebootMachine(calls, c.force);
        Journal expected{L"GetVersionExA 148 zeroed"};
        if (c.nt) expected.insert(expected.end(), privilege.begin(), privilege.end());
        expected.push_back(c.exit);
        EXPECT_EQ(log, expected) << "platform " << c.platformId << ", force " << c.force;
    }
}

}  // namespace
