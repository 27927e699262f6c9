#pragma once
// Where the DLLs that the shell, the common controls and the system's own code load later come
// from: never the current folder, which the user chose, nor where possible the program's own
// folder, which is often Downloads.
#include "app/Platform.h"

// The system folder only, where Windows can (SetDefaultDllDirectories); elsewhere the current
// folder at least is taken out of the search (SetDllDirectoryW with the empty text). Throws
// Failure when the call refuses.
void LoadDllsFromSystemOnly(DllSearchCalls& calls);
