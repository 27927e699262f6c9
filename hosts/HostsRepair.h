#pragma once
// The main window's work on the hosts file: the start-up check and the three repair
// methods, each ending the program through CloseAllWindows.
#include <string>

#include "app/MsgBox.h"
#include "app/Platform.h"
#include "hosts/Codepage.h"
#include "hosts/HostsStore.h"
#include "Module1/Module1.h"

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

struct RepairServices {
    MessageBoxUi& ui;
    RepairWindows& windows;
    Environment& env;
    FileSystem& fs;
    const Codepage& cp;
    Clock& clock;
    Processes& processes;
    RebootCalls& reboot;
};

class HostsRepair {
public:
    explicit HostsRepair(const RepairServices& s) : s_(s), store_(s.fs, s.cp) {}

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

    RepairServices s_;
    HostsStore store_;
};
