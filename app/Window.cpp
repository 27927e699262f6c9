#include "app/Window.h"

#include <algorithm>
#include <vector>

#include "app/Fatal.h"
#include "app/Win32Platform.h"

namespace {

// Every window alive, for keyboard navigation in the message loop.
std::vector<HWND>& LiveWindows() {
    static std::vector<HWND> windows;
    return windows;
}

}  // namespace

int ScreenDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

int TwipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }

HFONT CreatePointFont(int points, int dpi, const wchar_t* face, int weight, bool underline, BYTE charset) {
    return CreateFontW(-MulDiv(points, dpi, 72), 0, 0, 0, weight, FALSE, underline, FALSE, charset, OUT_DEFAULT_PRECIS,
        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

int Window::RunMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        const auto& live = LiveWindows();
        if (std::any_of(live.begin(), live.end(), [&](HWND w) { return IsDialogMessageW(w, &msg); })) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

Window* Window::Attach(HWND hwnd, Window* self) {
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    LiveWindows().push_back(hwnd);
    return self;
}

std::optional<LRESULT> Window::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCDESTROY) {
        std::erase(LiveWindows(), hwnd_);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        const auto result = Guarded([&] { return OnMessage(msg, wp, lp); });
        hwnd_ = nullptr;
        return result;
    }
    return Guarded([&] { return OnMessage(msg, wp, lp); });
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE)
        self = Attach(hwnd, static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    if (self) {
        if (const auto result = self->Dispatch(msg, wp, lp)) return *result;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

INT_PTR CALLBACK Window::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_INITDIALOG) self = Attach(hwnd, reinterpret_cast<Window*>(lp));
    if (!self) return FALSE;
    const auto result = self->Dispatch(msg, wp, lp);
    if (!result) return FALSE;
    // These answer through the return value; all others through DWLP_MSGRESULT.
    if (msg == WM_INITDIALOG || (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC)) return *result;
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, *result);
    return TRUE;
}

void Window::CreateControls(std::span<const ControlSpec> table, HFONT font) const {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const ControlSpec& c : table) {
        const HWND control = CreateWindowExW(0, c.windowClass, c.text, WS_CHILD | WS_VISIBLE | c.style,
            TwipsToPixels(c.place.left, dpi_), TwipsToPixels(c.place.top, dpi_), TwipsToPixels(c.place.width, dpi_),
            TwipsToPixels(c.place.height, dpi_), hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance,
            nullptr);
        if (!control) ThrowLastError(c.windowClass);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}

void Window::PlaceClientArea(const Twips& client, bool keepPosition) const {
    RECT r{TwipsToPixels(client.left, dpi_), TwipsToPixels(client.top, dpi_), 0, 0};
    r.right = r.left + TwipsToPixels(client.width, dpi_);
    r.bottom = r.top + TwipsToPixels(client.height, dpi_);
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
        static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
        SWP_NOZORDER | SWP_NOACTIVATE | (keepPosition ? SWP_NOMOVE : 0));
}
