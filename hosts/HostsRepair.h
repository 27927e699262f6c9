#pragma once
// The main window's work on the hosts file: the start-up check and the three repair
// methods, each ending the program through CloseAllWindows.
#include <string>

#include "app/Platform.h"
#include "hosts/HostsStore.h"

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
    // checkRedirect: whether the start-up check looks at where the running Windows reads hosts
    // from; not when the program works on another installation.
    HostsRepair(const Platform& system, RepairWindows& windows, bool checkRedirect)
        : s_(system), windows_(windows), checkRedirect_(checkRedirect), store_(s_.files, s_.processes, s_.clock, s_.cp) {}

    void RunIntegrityCheck();
    void RepairMethod1();
    void RepairMethod2();
    void RepairMethod3();
    void CloseAllWindows();

    // Refilled from %windir% by every operation that touches the hosts file.
    std::wstring WindowsDir;

private:
    std::wstring ResolveHostsPath();
    void ConfirmUnmodified();
    void OfferRedirectReset();
    void PutStockHosts(const std::wstring& path);

    Platform s_;
    RepairWindows& windows_;
    bool checkRedirect_;
    HostsStore store_;
};
