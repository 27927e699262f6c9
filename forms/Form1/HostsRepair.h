#pragma once
// The main window's work on the hosts file: the start-up check and the three repair
// methods, each ending the program through CloseAllWindows.
#include <string>

#include "app/Platform.h"
#include "hosts/HostsStore.h"
#include "lookup/Finding.h"
#include "lookup/WindowsRegistry.h"

// The windows as the repairs see them.
class RepairWindows {
public:
    virtual ~RepairWindows() = default;
    virtual void ShowHostsView(std::wstring text) = 0;
    // Runs the main window's unload handler, which closes the About dialog first.
    virtual void UnloadMainWindow() = 0;
    // Harmless when the dialog is not loaded; never loads it.
    virtual void UnloadAboutDialog() = 0;
};

class HostsRepair {
public:
    // otherWindows: the Windows folder of another installation to work on (/windir:), whose
    // registry the start-up check loads; empty for the running one.
    HostsRepair(const Platform& system, RepairWindows& windows, std::wstring otherWindows)
        : s_(system),
          windows_(windows),
          otherWindows_(std::move(otherWindows)),
          store_(s_.files, s_.processes, s_.clock, otherWindows_.empty()) {}

    void RunIntegrityCheck();
    void RepairMethod1();
    void RepairMethod2();
    void RepairMethod3();
    void CloseAllWindows();

    // Refilled by every operation that touches the hosts file: the running Windows' own folder,
    // as the system gives it, or the other installation's.
    std::wstring WindowsDir;

private:
    std::wstring ResolveHostsPath();
    void ConfirmUnmodified();
    LookupReport CheckRegistry(const std::wstring& path);
    void OfferRedirectReset(WindowsRegistry& registry, const Redirect& redirect);
    void TellOtherPlaces(
        const LookupReport& lookup, const std::vector<std::wstring>& entries, const std::wstring& path);
    void ResetRedirect(WindowsRegistry& registry, const std::wstring& shown);
    bool PutStockHosts(const std::wstring& path);
    void Restart(std::wstring_view byHand);

    Platform s_;
    RepairWindows& windows_;
    std::wstring otherWindows_;
    HostsStore store_;
};
