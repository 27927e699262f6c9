// The yardstick of the start-up benchmark: the least a Win32 program does to show a file: read
// whole, converted from the ANSI code page and handed in one call to a window that is an Edit
// control of the main view's size and font at 96 DPI (the control's time grows with the
// font's). Usage: minimal_view.exe FILE
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    std::wstring path(commandLine);
    if (path.size() > 1 && path.front() == L'"') path = path.substr(1, path.find(L'"', 1) - 1);
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    std::wstring text(bytes.size(), L'\0');
    text.resize(MultiByteToWideChar(
        CP_ACP, 0, bytes.data(), static_cast<int>(read), text.data(), static_cast<int>(text.size())));
    bytes = std::string();

    constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VSCROLL | WS_BORDER | ES_MULTILINE |
                            ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL;
    RECT r{0, 0, 401, 337};  // 6015 x 5055 twips
    AdjustWindowRect(&r, style, FALSE);
    const HWND view = CreateWindowW(L"EDIT", L"", style, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
        r.bottom - r.top, nullptr, nullptr, instance, nullptr);
    const HFONT font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"MS Shell Dlg");  // 8 points
    SendMessageW(view, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(view, EM_SETLIMITTEXT, 0, 0);
    SetWindowTextW(view, text.c_str());
    ShowWindow(view, SW_SHOW);
    MSG msg;
    while (IsWindow(view) && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);  // until it is closed
    return 0;
}
