// The desktop shell, the only part of the program that speaks COM, and the message box.
#include "app/Win32Platform.h"

#include <exdisp.h>
#include <shldisp.h>
#include <shlobj.h>

#include "app/AppInfo.h"

Answer Win32MessageBox::MsgBox(std::wstring_view prompt, unsigned style, std::wstring_view title) {
    const std::wstring text(prompt);
    const std::wstring caption = std::wstring(title.empty() ? ThisApp.title : title);
    const int answer = MessageBoxW(GetActiveWindow(), text.c_str(), caption.c_str(), style);
    if (answer == 0) ThrowLastError(L"");
    return static_cast<Answer>(answer);
}

namespace {

// An interface pointer released when it goes out of scope.
template <class I>
struct Com {
    I* p = nullptr;
    Com() = default;
    Com(const Com&) = delete;
    ~Com() {
        if (p) p->Release();
    }
    I* operator->() const { return p; }
};

// The desktop's Shell.Application object, reached through the desktop's own view: it lives in
// Explorer, so what its ShellExecute starts has Explorer's token, the user's. (The class and the
// service are named here, not linked from libuuid, whose one object holds every identifier there
// is: 40 KB.)
bool DesktopShellExecute(const std::wstring& address) {
    constexpr CLSID ShellWindowsClass{0x9ba05972, 0xf6a8, 0x11cf, {0xa4, 0x42, 0x00, 0xa0, 0xc9, 0x0a, 0x8f, 0x39}};
    constexpr GUID TopLevelBrowser{0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};
    Com<IShellWindows> windows;
    Com<IDispatch> desktop, background, application;
    Com<IServiceProvider> provider;
    Com<IShellBrowser> browser;
    Com<IShellView> view;
    Com<IShellFolderViewDual> folderView;
    Com<IShellDispatch2> shell;
    VARIANT location, none, show;
    VariantInit(&location);
    VariantInit(&none);
    VariantInit(&show);
    location.vt = VT_I4;
    location.lVal = CSIDL_DESKTOP;
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    LONG desktopWindow = 0;
    if (FAILED(CoCreateInstance(ShellWindowsClass, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&windows.p))) ||
        windows->FindWindowSW(&location, &none, SWC_DESKTOP, &desktopWindow, SWFO_NEEDDISPATCH, &desktop.p) != S_OK ||
        !desktop.p || FAILED(desktop->QueryInterface(IID_PPV_ARGS(&provider.p))) ||
        FAILED(provider->QueryService(TopLevelBrowser, IID_PPV_ARGS(&browser.p))) ||
        FAILED(browser->QueryActiveShellView(&view.p)) ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_PPV_ARGS(&background.p))) ||
        FAILED(background->QueryInterface(IID_PPV_ARGS(&folderView.p))) ||
        FAILED(folderView->get_Application(&application.p)) ||
        FAILED(application->QueryInterface(IID_PPV_ARGS(&shell.p))))
        return false;
    // No arguments, no working folder, the default verb.
    const BSTR file = SysAllocString(address.c_str());
    const HRESULT started = file ? shell->ShellExecute(file, none, none, none, show) : E_OUTOFMEMORY;
    SysFreeString(file);
    return SUCCEEDED(started);
}

}  // namespace

bool Win32Shell::OpenAsDesktopUser(const std::wstring& address) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool opened = DesktopShellExecute(address);
    if (SUCCEEDED(com)) CoUninitialize();
    return opened;
}
