#include "e2e.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

std::string Utf8(std::wstring_view text) {
    std::string out(text.size() * 3, '\0');
    out.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                   static_cast<int>(out.size()), nullptr, nullptr));
    return out;
}

std::wstring Wide(std::string_view bytes, UINT codepage) {
    std::wstring out(bytes.size(), L'\0');
    out.resize(MultiByteToWideChar(codepage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(),
                                   static_cast<int>(out.size())));
    return out;
}

std::string To1251(std::wstring_view text) {
    std::string out(text.size(), '\0');
    out.resize(WideCharToMultiByte(1251, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                   static_cast<int>(out.size()), nullptr, nullptr));
    return out;
}

double Seconds() {
    LARGE_INTEGER now, freq;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&freq);
    return static_cast<double>(now.QuadPart) / static_cast<double>(freq.QuadPart);
}

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
    const HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::nullopt;
    LARGE_INTEGER size{};
    GetFileSizeEx(f, &size);
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    const bool ok = bytes.empty() || ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(f);
    if (!ok || read != bytes.size()) return std::nullopt;
    return bytes;
}

void WriteFileBytes(const std::wstring& path, std::string_view bytes) {
    const HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    if (f != INVALID_HANDLE_VALUE) {
        WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(f);
    }
    if (written != bytes.size() || f == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + Utf8(path));
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

std::wstring TextOf(HWND hwnd) {
    DWORD_PTR length = 0, copied = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 10000, &length)) return L"<no answer>";
    std::wstring text(length + 1, L'\0');
    SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL, 10000,
                        &copied);
    text.resize(copied);
    return text;
}

RECT ScreenRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

namespace {
struct Search {
    DWORD pid;
    bool visibleOnly;
    std::vector<HWND> found;
};
BOOL CALLBACK Collect(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == s->pid && (!s->visibleOnly || IsWindowVisible(hwnd))) s->found.push_back(hwnd);
    return TRUE;
}
}  // namespace

std::vector<HWND> WindowsOf(DWORD pid, bool visibleOnly) {
    Search search{pid, visibleOnly, {}};
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// ---- the screen ----

namespace {

// A 32-bit top-down bitmap with a DC, to capture into and to draw on.
struct Canvas {
    int w, h;
    HDC dc = CreateCompatibleDC(nullptr);
    DWORD* bits = nullptr;
    HBITMAP bitmap;
    HGDIOBJ old;
    Canvas(int width, int height) : w(width), h(height) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        old = SelectObject(dc, bitmap);
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    std::vector<DWORD> Pixels() const {
        GdiFlush();
        std::vector<DWORD> p(bits, bits + static_cast<size_t>(w) * h);
        for (DWORD& c : p) c &= 0xFFFFFF;
        return p;
    }
};

// Icon handles are private to each process under Wine: a box's icon is told by comparing its
// pixels with each system icon drawn at the same size on the same background.
Icon IconOfBox(HWND box) {
    const HWND icon = GetDlgItem(box, 0x440);
    DWORD_PTR set = 0;  // whether the control holds an icon at all
    if (!icon || !IsWindowVisible(icon) || (SendMessageTimeoutW(icon, STM_GETICON, 0, 0, SMTO_NORMAL, 10000, &set) && !set))
        return Icon::None;
    const RECT r = ScreenRect(icon);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const std::pair<Icon, LPCWSTR> candidates[] = {
        {Icon::Stop, IDI_HAND}, {Icon::Info, IDI_ASTERISK}, {Icon::Warning, IDI_EXCLAMATION}, {Icon::Question, IDI_QUESTION}};
    for (int attempt = 0; attempt < 50 && w > 0 && h > 0; ++attempt, Sleep(20)) {  // it may not be painted yet
        const std::vector<DWORD> shot = CaptureScreen(r);
        for (const auto& [kind, id] : candidates) {
            Canvas drawn(w, h);
            const HBRUSH background = CreateSolidBrush(RGB(shot[0] >> 16, shot[0] >> 8 & 0xFF, shot[0] & 0xFF));
            const RECT all{0, 0, w, h};
            FillRect(drawn.dc, &all, background);
            DeleteObject(background);
            DrawIconEx(drawn.dc, 0, 0, static_cast<HICON>(LoadImageW(nullptr, id, IMAGE_ICON, w, h, LR_SHARED)), w, h,
                       0, nullptr, DI_NORMAL);
            const std::vector<DWORD> pixels = drawn.Pixels();
            size_t differ = 0;
            for (size_t i = 0; i < shot.size(); ++i) differ += pixels[i] != shot[i];
            if (differ * 20 <= shot.size()) return kind;  // at most 5 % of the pixels differ
        }
    }
    return Icon::Unknown;
}

}  // namespace

std::vector<DWORD> CaptureScreen(const RECT& r) {
    Canvas canvas(r.right - r.left, r.bottom - r.top);
    const HDC screen = GetDC(nullptr);
    BitBlt(canvas.dc, 0, 0, canvas.w, canvas.h, screen, r.left, r.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    return canvas.Pixels();
}

bool SaveBmp(const RECT& r, const std::wstring& path) {
    const int w = r.right - r.left, h = r.bottom - r.top, stride = (w * 3 + 3) & ~3;
    if (w <= 0 || h <= 0) return false;
    const std::vector<DWORD> pixels = CaptureScreen(r);
    BITMAPINFOHEADER info{sizeof info, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    BITMAPFILEHEADER file{0x4D42, 0, 0, 0, sizeof file + sizeof info};
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride) * h;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    for (int y = h - 1; y >= 0; --y) {  // bottom-up rows of blue, green, red
        std::string row(stride, '\0');
        for (int x = 0; x < w; ++x) std::memcpy(&row[x * 3], &pixels[static_cast<size_t>(y) * w + x], 3);
        bytes += row;
    }
    try {
        WriteFileBytes(path, bytes);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

// ---- message boxes ----

const char* IconName(Icon icon) {
    constexpr const char* names[] = {"none", "stop", "information", "warning", "question", "unknown"};
    return names[static_cast<int>(icon)];
}

Box ReadBox(HWND hwnd) {
    Box box{hwnd, {}, TextOf(GetDlgItem(hwnd, 0xFFFF)), {}, IconOfBox(hwnd)};
    wchar_t title[512] = {};
    GetWindowTextW(hwnd, title, 512);
    box.title = title;
    for (int id : {IDOK, IDCANCEL, IDYES, IDNO})
        if (const HWND button = GetDlgItem(hwnd, id); button && IsWindowVisible(button)) box.buttons.push_back(id);
    return box;
}

// ---- the program ----

Program::Program(const std::wstring& commandLine, const std::vector<std::pair<std::wstring, std::wstring>>& vars,
                 const std::wstring& directory, std::wstring mainClass)
    : mainClass_(std::move(mainClass)) {
    std::wstring block;
    const LPWCH inherited = GetEnvironmentStringsW();
    for (const wchar_t* p = inherited; *p; p += wcslen(p) + 1) {
        const std::wstring_view var(p), name = var.substr(0, var.find(L'=', 1));
        if (std::none_of(vars.begin(), vars.end(), [&](const auto& v) {
                return CompareStringOrdinal(v.first.data(), static_cast<int>(v.first.size()), name.data(),
                                            static_cast<int>(name.size()), TRUE) == CSTR_EQUAL;
            }))
            block.append(var).push_back(L'\0');
    }
    FreeEnvironmentStringsW(inherited);
    for (const auto& [name, value] : vars) block.append(name + L"=" + value).push_back(L'\0');
    block.push_back(L'\0');

    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring line = commandLine;
    started_ = Seconds();
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT, block.data(),
                        directory.empty() ? nullptr : directory.c_str(), &si, &pi_))
        throw std::runtime_error("cannot start " + Utf8(commandLine) + ": error " + std::to_string(GetLastError()));
}

Program::~Program() {
    if (!Ended()) {
        TerminateProcess(pi_.hProcess, 99);
        Ended(5000);
    }
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
}

DWORD Program::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
}

Scene Program::Look() {
    Scene scene;
    scene.ended = Ended();
    for (HWND hwnd : WindowsOf(pi_.dwProcessId, true)) {
        const std::wstring cls = ClassOf(hwnd);
        if (cls == mainClass_) scene.main = hwnd;
        else if (cls == L"#32770") (GetDlgItem(hwnd, 0xFFFF) ? scene.boxes : scene.dialogs).push_back(hwnd);
    }
    std::sort(scene.boxes.begin(), scene.boxes.end());
    std::sort(scene.dialogs.begin(), scene.dialogs.end());
    mainShown_ |= scene.main != nullptr;
    return scene;
}

Scene Program::WaitFor(const std::function<bool(const Scene&)>& done, double timeout) {
    const double until = Seconds() + timeout;
    for (Scene previous = Look();; Sleep(5)) {
        Scene now = Look();
        if ((now == previous && done(now)) || Seconds() > until) return now;
        previous = std::move(now);
    }
}
