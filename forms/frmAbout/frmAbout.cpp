#include "forms/frmAbout/frmAbout.h"

#include <string>
#include <vector>

#include "app/AppInfo.h"
#include "app/Win32Platform.h"
#include "app/resource.h"
#include "forms/frmAbout/frmAboutControls.h"

namespace {

constexpr Twips ClientArea{2340, 1935, 5730, 4725};  // placed relative to the screen, not centred

constexpr wchar_t Disclaimer[] = L"";
constexpr wchar_t Credit[] = L"© 2026 Kostya_IT. Все права защищены.";

// In tab order.
constexpr ControlSpec Controls[] = {
    // Enter and Esc (IDCANCEL) both close the dialog through it.
    {IDOK, L"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, L"OK", {4245, 2625, 1260, 345}},
    {IconPicture, L"STATIC", SS_ICON | SS_CENTERIMAGE, L"", {240, 240, 540, 540}},
    {SysInfoButton, L"BUTTON", BS_PUSHBUTTON | BS_MULTILINE | WS_TABSTOP, L"&Информация о системе...",
        {4260, 3075, 1245, 705}},
    {DescriptionLabel, L"STATIC", SS_LEFT, L"", {1050, 1125, 3885, 1170}},
    {DisclaimerLabel, L"STATIC", SS_LEFT, Disclaimer, {255, 2625, 3870, 1665}},
    {TitleLabel, L"STATIC", SS_LEFT, L"", {1050, 240, 3885, 480}},
    {VersionLabel, L"STATIC", SS_LEFT, L"", {1050, 780, 3885, 225}},
    {CreditLabel, L"STATIC", SS_LEFT, Credit, {240, 4440, 4575, 255}},
};

// Line1(1), grey, and Line1(0), white, 15 twips below: an etched separator.
struct Line {
    int x1, y1, x2, y2, width;
    COLORREF colour;
};
// The white line first: the grey one then stays whole over the white one's upper half, and the
// two read as one etched line, as Windows draws a separator.
constexpr Line Separator[] = {
    {105, 2460, 5654, 2460, 2, RGB(255, 255, 255)},
    {90, 2445, 5654, 2445, 1, RGB(128, 128, 128)},
};

// An empty dialog in the default dialog font; the controls are added at WM_INITDIALOG.
std::vector<WORD> DialogTemplate() {
    constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    std::vector<WORD> t = {LOWORD(style), HIWORD(style), 0, 0, 0 /* controls */, 0, 0, 0, 0, 0 /* menu */,
        0 /* class */, 0 /* title */, 8 /* points */};
    for (const wchar_t* face = L"MS Shell Dlg"; *face; ++face) t.push_back(static_cast<WORD>(*face));
    t.push_back(0);
    return t;
}

}  // namespace

frmAbout::frmAbout(const Platform& system) : sysInfo_(system) {}

frmAbout::~frmAbout() { Unload(); }

void frmAbout::Show() {
    if (!hwnd_) {
        taskbarHider_ = CreateWindowExW(
            0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        const std::vector<WORD> dialog = DialogTemplate();
        if (!CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(dialog.data()),
                taskbarHider_, Window::DialogProc, reinterpret_cast<LPARAM>(this)))
            ThrowLastError(L"frmAbout");
    }
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
}

void frmAbout::Unload() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (taskbarHider_) DestroyWindow(taskbarHider_);
    taskbarHider_ = nullptr;
    if (icon_) DestroyIcon(icon_);
    icon_ = nullptr;
}

void frmAbout::Form_Load() {
    const std::wstring title(ThisApp.title), description(ThisApp.description);
    const std::wstring caption = L"О программе " + title;
    const std::wstring version = L"Версия " + std::to_wstring(ThisApp.major) + L"." + std::to_wstring(ThisApp.minor) +
                                 L"." + std::to_wstring(ThisApp.revision);
    SetWindowTextW(hwnd_, caption.c_str());
    SetDlgItemTextW(hwnd_, VersionLabel, version.c_str());
    SetDlgItemTextW(hwnd_, TitleLabel, title.c_str());
    SetDlgItemTextW(hwnd_, DescriptionLabel, description.c_str());
}

void frmAbout::cmdOK_Click() { Unload(); }

void frmAbout::cmdSysInfo_Click() { sysInfo_.StartSysInfo(); }

void frmAbout::DrawSeparator(HDC dc) const {
    for (const Line& l : Separator) {
        const HPEN pen = CreatePen(PS_INSIDEFRAME, l.width, l.colour);
        const HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, TwipsToPixels(l.x1, dpi_), TwipsToPixels(l.y1, dpi_), nullptr);
        LineTo(dc, TwipsToPixels(l.x2, dpi_), TwipsToPixels(l.y2, dpi_));
        SelectObject(dc, old);
        DeleteObject(pen);
    }
}

std::optional<LRESULT> frmAbout::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG: {
            CreateControls(Controls, reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
            icon_ = static_cast<HICON>(
                LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 32, 32, 0));
            SendMessageW(Control(IconPicture), STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
            PlaceClientArea(ClientArea, false);
            Form_Load();
            return TRUE;  // the focus goes to the first control, cmdOK
        }
        case WM_COMMAND:
            switch (LOWORD(wp)) {
                case IDOK:
                case IDCANCEL:
                    cmdOK_Click();
                    return 0;
                case SysInfoButton:
                    cmdSysInfo_Click();
                    return 0;
            }
            return std::nullopt;
        case WM_CLOSE:
            Unload();
            return 0;
        case WM_CTLCOLORSTATIC: {
            const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lp));
            if (id != DescriptionLabel && id != DisclaimerLabel && id != TitleLabel) return std::nullopt;
            const auto dc = reinterpret_cast<HDC>(wp);
            SetTextColor(dc, RGB(0, 0, 0));
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            const HDC dc = BeginPaint(hwnd_, &ps);
            DrawSeparator(dc);
            EndPaint(hwnd_, &ps);
            return 0;
        }
    }
    return std::nullopt;
}
