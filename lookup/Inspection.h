#pragma once
// What a run looks at before it touches the hosts file, the same for the window and the command
// line: where Windows reads hosts from, in the registry of the Windows worked on (another
// installation's loaded to be read, for this alone), then the rest of the lookup path, then that
// registry unloaded.
#include <functional>
#include <optional>
#include <string>

#include "app/Platform.h"
#include "lookup/LookupPath.h"
#include "lookup/WindowsRegistry.h"

struct Inspection {
    std::optional<Failure> registryUnread;  // that registry could not be loaded: DataBasePath unchecked
    std::optional<Redirect> redirect;       // DataBasePath names another folder
    LookupReport lookup;
    std::optional<Failure> notUnloaded;  // another installation's registry, left loaded
};

// `onRedirect` runs once another installation's registry is unloaded, for a front end to put the
// default back (ResetHostsRedirect loads it again for the write alone) or to ask whether to: a
// question waits for whoever answers it, and meanwhile nothing is left loaded for another program
// to hold open.
Inspection Inspect(const Platform& s, const std::wstring& windowsDir, const std::wstring& hostsPath,
    const std::function<void(WindowsRegistry&, const Redirect&)>& onRedirect);
