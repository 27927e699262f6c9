#pragma once
// A thin wrapper around a top-level window or dialog: one window procedure that
// dispatches to the derived class, with every failure turned into the
// unrecoverable-error message before it could cross into the system.
#include <windows.h>

#include <optional>
#include <span>

// Positions and sizes are kept in twips (1/1440 inch) and converted at the screen's DPI.
struct Twips {
    int left, top, width, height;
};

int ScreenDpi();
int TwipsToPixels(int twips, int dpi);

struct ControlSpec {
    int id;
    const wchar_t* windowClass;
    DWORD style;  // WS_CHILD and WS_VISIBLE are added
    const wchar_t* text;
    Twips place;
    const wchar_t* toolTip = nullptr;
};

// A font of `points` at `dpi`; the caller deletes it.
HFONT CreatePointFont(int points, int dpi, const wchar_t* face, int weight = FW_NORMAL, bool underline = false,
    BYTE charset = DEFAULT_CHARSET);

class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const { return hwnd_; }
    bool IsLoaded() const { return hwnd_ != nullptr; }

    // Dispatches messages, with keyboard navigation in every window, until WM_QUIT.
    static int RunMessageLoop();

    // The procedures of every window class and dialog; the object comes with the
    // creation parameter.
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

protected:
    Window() = default;
    virtual ~Window() = default;

    // Nothing when the message is left to the system's default handling.
    virtual std::optional<LRESULT> OnMessage(UINT msg, WPARAM wp, LPARAM lp) = 0;

    // The controls in table order, which is their tab order.
    void CreateControls(std::span<const ControlSpec> table, HFONT font) const;
    HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
    // Sizes the window so that its client area has `client`'s size (and place, unless
    // `keepPosition`), for its current styles.
    void PlaceClientArea(const Twips& client, bool keepPosition) const;

    HWND hwnd_ = nullptr;
    int dpi_ = ScreenDpi();

private:
    static Window* Attach(HWND hwnd, Window* self);
    std::optional<LRESULT> Dispatch(UINT msg, WPARAM wp, LPARAM lp);
};
