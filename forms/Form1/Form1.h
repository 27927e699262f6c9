#pragma once
// The main window: the hosts view, the three repair buttons, the About button and
// two link labels. Its load event is the start-up check of the hosts file.
#include <functional>

#include "app/Window.h"
#include "forms/frmAbout/frmAbout.h"
#include "forms/Form1/HostsRepair.h"

class Form1 final : public Window, private RepairWindows {
public:
    // Creates the window hidden; Form_Load decides whether it is ever shown.
    // otherWindows: see HostsRepair.
    Form1(const Platform& system, const std::wstring& otherWindows);
    ~Form1() override;

    void Form_Load();
    void Show();

private:
    std::optional<LRESULT> OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    std::optional<LRESULT> OnCommand(WPARAM wp);
    LRESULT StaticColours(HDC dc, HWND control);
    std::optional<LRESULT> DefaultButton();
    void CreateToolTips() const;
    void Uninterrupted(const std::function<void()>& operation);

    void Form_Unload();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Label2_Click();
    void Label3_Click();
    void OpenInBackground(const wchar_t* address);

    void ShowHostsView(std::wstring text) override;
    void UnloadMainWindow() override;
    void UnloadAboutDialog() override;

    Platform s_;
    HostsRepair repair_;
    frmAbout about_;
    HFONT font_ = nullptr;
    HFONT linkFont_ = nullptr;
    HICON pictureP_ = nullptr;
    HICON questionMark_ = nullptr;
    HCURSOR handH_ = nullptr;
    bool busy_ = false, closeRequested_ = false;
};
