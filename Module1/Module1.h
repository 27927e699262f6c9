#pragma once
// Restarting Windows, with the shutdown privilege enabled first on the NT family.
#include "app/Platform.h"

bool IsWinNT(RebootCalls& calls);
void EnableShutdownPrivilege(RebootCalls& calls);
// Only requests the restart; returns at once. No result is looked at.
void RebootMachine(RebootCalls& calls, const bool& force);
