#pragma once
// The answers Windows' DNS client keeps from the hosts file's old entries.
#include <cstdint>

#include "app/Platform.h"

// Clears the DNS client's cache: ipconfig /flushdns from the system folder, without a window,
// waited for 30 s at most. Returns 0, or the Windows error (the tool's exit code when it ran
// and failed). Never throws: a failed flush does not undo a repair, and the restart the
// messages advise clears the cache too.
std::uint32_t FlushDnsCache(const Platform& s);
