#include "forms/Form1/Form1.h"

#include <commctrl.h>

#include <memory>

#include "app/Caption.h"
#include "app/Win32Platform.h"
#include "app/resource.h"
#include "forms/Form1/Form1Controls.h"
#include "forms/Form1/Links.h"

namespace {

constexpr wchar_t ClassName[] = L"HostovikForm1";
// Posted by a link's thread when the desktop shell could not open its page; lParam: the address.
constexpr UINT WmPageUnopened = WM_APP + 1;
constexpr Twips ClientArea{0, 0, 6015, 6195};
constexpr COLORREF LinkColour = RGB(0, 0, 255);

// The picture buttons show no caption: their text is their tool tip and accessible name.
constexpr DWORD PictureButton = BS_PUSHBUTTON | BS_ICON | WS_TABSTOP;
constexpr DWORD LinkLabel = SS_LEFT | SS_NOTIFY;

constexpr wchar_t Method1Tip[] = L"Разблокировать способ №1";
constexpr wchar_t Method2Tip[] = L"Разблокировать способ №2";
constexpr wchar_t Method3Tip[] = L"Разблокировать способ №3";
constexpr wchar_t AboutTip[] = L"О программе...";

// In tab order. The view ends at the client area's right edge, so its scroll bar is visible.
constexpr ControlSpec Controls[] = {
    {Method1Button, L"BUTTON", PictureButton, Method1Tip, {120, 120, 495, 495}, Method1Tip},
    {HostsView, L"EDIT",
        ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, L"",
        {0, 1080, 6015, 5055}},
    {FileLabel, L"STATIC", SS_LEFT, L"Файл", {120, 840, 495, 255}},
    {Method2Button, L"BUTTON", PictureButton, Method2Tip, {840, 120, 495, 495}, Method2Tip},
    {AboutButton, L"BUTTON", PictureButton, AboutTip, {2400, 120, 495, 615}, AboutTip},
    {Method3Button, L"BUTTON", PictureButton, Method3Tip, {1560, 120, 495, 495}, Method3Tip},
    {AdvertLink, L"STATIC", LinkLabel, L"Рекламное место сдается...", {3000, 120, 3015, 375}},
    {HostsLink, L"STATIC", LinkLabel, L"hosts:", {600, 840, 495, 255}, L"Посмотреть информацию в интернете."},
};

HICON LoadIconSized(int id, int width, int height) {
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, width, height, 0));
}

// A read-only view has no use for Tab: it moves the focus on, as everywhere else in the window.
LRESULT CALLBACK PassTabOn(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
    if (msg == WM_GETDLGCODE && wp == VK_TAB) result &= ~(DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE);
    return result;
}

void RegisterFormClass() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Window::WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconSized(IDI_APP, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    wc.hIconSm = LoadIconSized(IDI_APP, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = ClassName;
    if (!RegisterClassExW(&wc)) ThrowLastError(ClassName);
}

}  // namespace

Form1::Form1(const Platform& system, const std::wstring& otherWindows)
    : s_(system), repair_(system, *this, otherWindows), about_(system) {
    RegisterFormClass();
    const std::wstring caption(MainCaption);
    if (!CreateWindowExW(0, ClassName, caption.c_str(), WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
            CW_USEDEFAULT, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), this))
        ThrowLastError(ClassName);
    PlaceClientArea(ClientArea, true);

    font_ = CreatePointFont(8, dpi_, L"MS Shell Dlg");
    linkFont_ = CreatePointFont(12, dpi_, L"Times New Roman", FW_BOLD, true, RUSSIAN_CHARSET);
    pictureP_ = LoadIconSized(IDI_BUTTON_P, 32, 32);
    questionMark_ = LoadIconSized(IDI_QUESTION_MARK, 47, 40);
    handH_ = static_cast<HCURSOR>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_HAND_H), IMAGE_CURSOR, 32, 32, 0));

    CreateControls(Controls, font_);
    SendMessageW(Control(AdvertLink), WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_), FALSE);
    for (int id : {Method1Button, Method2Button, Method3Button})
        SendMessageW(Control(id), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(pictureP_));
    SendMessageW(Control(AboutButton), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(questionMark_));
    if (!SetWindowSubclass(Control(HostsView), PassTabOn, 0, 0)) ThrowLastError(L"Text1");
    CreateToolTips();
}

Form1::~Form1() {
    if (hwnd_) DestroyWindow(hwnd_);
    DeleteObject(font_);
    DeleteObject(linkFont_);
    DestroyIcon(pictureP_);
    DestroyIcon(questionMark_);
    DestroyCursor(handH_);
}

void Form1::CreateToolTips() const {
    const HWND tips = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!tips) ThrowLastError(TOOLTIPS_CLASSW);
    for (const ControlSpec& c : Controls) {
        if (!c.toolTip) continue;
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = hwnd_;
        tool.uId = reinterpret_cast<UINT_PTR>(Control(c.id));
        tool.lpszText = const_cast<wchar_t*>(c.toolTip);
        SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void Form1::Form_Load() {
    Uninterrupted([this] { repair_.RunIntegrityCheck(); });
}

// A request to close the window waits until the operation under way has ended: torn down
// half way, a method would leave its work half done.
void Form1::Uninterrupted(const std::function<void()>& operation) {
    busy_ = true;
    try {
        operation();
    } catch (...) {
        busy_ = false;
        throw;
    }
    busy_ = false;
    if (closeRequested_ && hwnd_) Form_Unload();
}

void Form1::Show() {
    if (!hwnd_) return;
    ShowWindow(hwnd_, SW_SHOW);
    SetFocus(Control(Method1Button));
}

void Form1::Form_Unload() {
    about_.Unload();
    DestroyWindow(hwnd_);
}

void Form1::Command1_Click() {
    Uninterrupted([this] { repair_.RepairMethod1(); });
}
void Form1::Command2_Click() {
    Uninterrupted([this] { repair_.RepairMethod2(); });
}
void Form1::Command3_Click() { about_.Show(); }
void Form1::Command4_Click() {
    Uninterrupted([this] { repair_.RepairMethod3(); });
}
void Form1::Label2_Click() { OpenInBackground(HostsArticle); }
void Form1::Label3_Click() { OpenInBackground(ForumPage); }

namespace {

// A link's page to open, and the window to tell when it could not be.
struct LinkJob {
    Shell& shell;
    HWND window;
    const wchar_t* address;  // one of the constants of Links.h: it outlives the thread
};

DWORD WINAPI OpenOnItsThread(void* parameter) {
    const std::unique_ptr<LinkJob> job(static_cast<LinkJob*>(parameter));
    OpenWebPage(job->shell, job->address,
        [&] { PostMessageW(job->window, WmPageUnopened, 0, reinterpret_cast<LPARAM>(job->address)); });
    return 0;
}

}  // namespace

// The desktop shell answers when Explorer gets to it, which can take seconds: a thread of its
// own asks it, so that the window answers at once, and posts back an address to be shown.
void Form1::OpenInBackground(const wchar_t* address) {
    auto job = std::make_unique<LinkJob>(LinkJob{s_.shell, hwnd_, address});
    const HANDLE thread = CreateThread(nullptr, 0, OpenOnItsThread, job.get(), 0, nullptr);
    if (!thread) {
        ShowOpenByHand(s_, address);  // no thread: no shell asked either
        return;
    }
    job.release();
    CloseHandle(thread);
}

void Form1::ShowHostsView(std::wstring text) {
    const HWND view = Control(HostsView);
    SendMessageW(view, EM_SETLIMITTEXT, 0, 0);  // no limit of the control's own: the text is capped already
    if (!SetWindowTextW(view, text.c_str())) ThrowLastError(L"Text1");
}

void Form1::UnloadMainWindow() {
    if (hwnd_) Form_Unload();
}

void Form1::UnloadAboutDialog() { about_.Unload(); }

// A button's click, or a link label's.
std::optional<LRESULT> Form1::OnCommand(WPARAM wp) {
    switch (LOWORD(wp)) {
        case Method1Button:
            Command1_Click();
            return 0;
        case Method2Button:
            Command2_Click();
            return 0;
        case AboutButton:
            Command3_Click();
            return 0;
        case Method3Button:
            Command4_Click();
            return 0;
        case HostsLink:
            if (HIWORD(wp) == STN_CLICKED) Label2_Click();
            return 0;
        case AdvertLink:
            if (HIWORD(wp) == STN_CLICKED) Label3_Click();
            return 0;
    }
    return std::nullopt;
}

// The view is read-only, but still a white text view. The labels draw their text only, no
// background: those above the view reach 15 twips into it and would cut its border, and
// FileLabel and HostsLink overlap by as much.
LRESULT Form1::StaticColours(HDC dc, HWND control) {
    if (control == Control(HostsView)) {
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    if (control == Control(HostsLink) || control == Control(AdvertLink)) SetTextColor(dc, LinkColour);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
}

// Enter clicks the focused button, as in a dialog.
std::optional<LRESULT> Form1::DefaultButton() {
    const HWND focus = GetFocus();
    if (GetParent(focus) == hwnd_ && (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON))
        return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
    return std::nullopt;
}

std::optional<LRESULT> Form1::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            return OnCommand(wp);
        case WmPageUnopened:
            ShowOpenByHand(s_, reinterpret_cast<const wchar_t*>(lp));
            return 0;
        case WM_CTLCOLORSTATIC:
            return StaticColours(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
        case WM_SETCURSOR: {
            const auto over = reinterpret_cast<HWND>(wp);
            if (!handH_ || (over != Control(HostsLink) && over != Control(AdvertLink))) return std::nullopt;
            SetCursor(handH_);
            return TRUE;
        }
        case DM_GETDEFID:
            return DefaultButton();
        case WM_CLOSE:
            if (busy_) closeRequested_ = true;
            else Form_Unload();
            return 0;
        case WM_QUERYENDSESSION:
            return !busy_;  // Windows is asked to wait while a method changes the hosts file
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return std::nullopt;
}
