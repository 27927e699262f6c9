#pragma once
// Restarting Windows, with the shutdown privilege enabled first on the NT family.
#include "app/Platform.h"

// A failed version query counts as not NT.
bool IsWinNT(RebootCalls& calls);
// Throws Failure when the privilege cannot be enabled, the token lacking it included.
void EnableShutdownPrivilege(RebootCalls& calls);
// Only requests the restart and returns at once; throws Failure when it cannot be requested.
void RebootMachine(RebootCalls& calls, const bool& force);
