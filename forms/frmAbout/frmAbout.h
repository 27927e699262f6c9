#pragma once
// The About dialog: title, version and description of the program, and a button that
// starts the system information tool. Modeless; one instance, loaded on first show.
#include "app/Window.h"
#include "forms/frmAbout/SysInfo.h"

class frmAbout final : public Window {
public:
    explicit frmAbout(const Platform& system);
    ~frmAbout() override;

    // Loads the dialog if it is not loaded, then brings it forward.
    void Show();
    // Harmless when the dialog is not loaded; never loads it.
    void Unload();

private:
    std::optional<LRESULT> OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void DrawSeparator(HDC dc) const;

    SysInfo sysInfo_;
    // A hidden owner keeps the dialog off the task bar without tying it to the main window.
    HWND taskbarHider_ = nullptr;
    HICON icon_ = nullptr;
};
