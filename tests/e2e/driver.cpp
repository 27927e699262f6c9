// End-to-end tests of the real hostovik.exe and hostovik-cli.exe under Wine: a table of cases
// over a few helpers. Each case makes a sandbox Windows folder and starts the program on it with
// /windir: (or, where the case is about what only the running Windows has, its registry, on
// the prefix's own Windows folder, whose hosts file it puts back afterwards), answers its windows
// as a user would, and checks what it showed, what it left and what the stand-ins it started
// recorded. Every program starts with a windir in its environment that points to a decoy
// Windows folder, which must never be touched. Run by scripts/e2e.sh:
//   hostovik-e2e.exe --exe PATH [--only TEXT]... [--group unprivileged | no-desktop-shell | eventlog]
//       the cases whose name holds a TEXT (any one, when given more than once), of the group:
//       those that need a user the files can refuse, a Wine whose shell proxies are switched
//       off (actxprxy=d), or a driver whose standard error, where Wine traces its event log
//       calls, goes to the file %E2E_TRACE%; without --group, the others.
//       hostovik-cli.exe is taken from beside PATH. Needs %E2E_SANDBOX% (a folder for the
//       sandboxes) and %E2E_RECORD% (the stand-ins' record).
// Screenshots (the first of each screen at 96 DPI) go to %E2E_SCREENS% when it is set. Every wait
// is stretched by %E2E_SLOWDOWN% (1 when unset), the measured slowness of an emulated Wine.
// The program's texts come from its own headers; the unit tests pin them.
#include "e2e.h"

#include <commctrl.h>
#include <shlobj.h>
#include <winhttp.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <utility>

#include "app/AppInfo.h"
#include "app/Caption.h"
#include "app/Codepage.h"
#include "app/Win32Platform.h"
#include "forms/Form1/Form1Controls.h"
#include "forms/Form1/Links.h"
#include "forms/frmAbout/SysInfo.h"
#include "forms/frmAbout/frmAboutControls.h"
#include "forms/Form1/Form1Messages.h"
#include "hosts/HostsMessages.h"
#include "hosts/HostsText.h"
#include "hosts/StockHosts.h"
#include "lookup/LookupMessages.h"
#include "lookup/WindowsRegistry.h"

namespace {

// ---- What the program shows ----

struct Message {
    std::wstring title, text, buttons;  // '*' stands for any text
    const wchar_t* shot = nullptr;      // the screenshot's name
};
const std::wstring Caption(MainCaption), Detection = DetectionTitle(), AppTitle(ThisApp.title);
const Message Modified{Detection, std::wstring(ModifiedWarning), L"Yes No", L"warning-modified"},
    Unmodified{Detection, std::wstring(UnmodifiedQuestion), L"Yes No", L"message-unmodified"},
    M1First{Caption, std::wstring(Method1Warning), L"OK", L"method1-first"},
    M1Second{Caption, std::wstring(Method1Done), L"OK", L"method1-second"},
    M2First{std::wstring(Method2Title), std::wstring(Method2Warning), L"OK", L"method2-warning"},
    M2Restart{Caption, std::wstring(Method2Question), L"Yes No", L"method2-question"},
    M3Ask{Caption, std::wstring(Method3Question), L"Yes No", L"method3-question"},
    NoSysInfo{AppTitle, SysInfoUnavailable, L"OK", L"no-sysinfo"};
// The unrecoverable-error message: the error, then the hosts file's path and its state.
Message HostsError(const std::wstring& code) {
    return {AppTitle, L"Ошибка " + code + L": *\\hosts\n" + std::wstring(HostsLeftAsItWas), L"OK", L"error"};
}
const std::wstring Evil = L"C:\\evil\\etc";  // where malware would have Windows read hosts from
const Message Redirected{Detection, RedirectWarning(Evil), L"Yes No", L"redirect-warning"},
    Reset{Caption, RedirectReset(Evil), L"OK", L"redirect-reset"};

const std::string Stock = StockHostsBytes();
// What malware leaves: six blocking entries more.
const std::string CompanyLines = "10.1.2.3\tintranet.corp licence.corp\r\n10.1.2.4 test1.corp\r\n";
// A bank's site sent to another computer, a security site and an ad name sent nowhere.
const std::string KindsOfEntries =
    "91.200.1.2 online.sberbank.ru\r\n127.0.0.1 kaspersky.ru\r\n0.0.0.0 ads.doubleclick.net\r\n";
const std::string Infected = Stock +
                             "127.0.0.1 vk.com\r\n127.0.0.1 www.vk.com\r\n127.0.0.1 ok.ru\r\n"
                             "127.0.0.1 www.ok.ru\r\n127.0.0.1 mail.ru\r\n127.0.0.1 www.mail.ru\r\n";

// What the stand-ins record, started in the system folder: the DNS cache cleared (hidden,
// waited for), route -f started.
const std::string Flushed =
    "C:\\windows\\system32\\ipconfig.exe|\"C:\\windows\\system32\\ipconfig.exe\" /flushdns|0|"
    "C:\\windows\\system32\n";
const std::string Routed =
    "C:\\windows\\system32\\route.exe|\"C:\\windows\\system32\\route.exe\" -f|2|"
    "C:\\windows\\system32\n";

// The RESULT line of a repair of the sandbox, whose other places are another Windows' own.
const std::string EventResult = "RESULT hosts=modified redirected=unchecked other=unread changed=yes exit=0";

// ---- A case and its run ----

struct Run;
using Step = std::function<void(Run&)>;
using Steps = std::vector<Step>;
Steps operator+(Steps a, const Steps& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
// The hosts file afterwards: as it was, the stock file, or the stock file and a company's lines;
// a copy of the old one; a .reg of a proxy switched off.
enum After { Unchanged = 0, Stocked = 1, BackedUp = 2, RegKept = 4, StockedAndListed = 8 };

struct Case {
    const char* name;
    std::optional<std::string> hosts;  // none: no hosts file
    Steps steps;                       // preparations, Start, what the user sees and does
    int after = Unchanged;
    std::string record;  // what the stand-ins record, a line a start
    DWORD exitCode = 0;  // of the program that ran last
    int dpi = 96;
    std::string group;    // the run of the driver that takes it: see above
    bool system = false;  // on the prefix's own Windows folder, without /windir: (nor for --help, which takes none)
};

// clang-format off
struct {
    std::wstring exe, cli, root, bin, record, screens, decoy, group;
    double slow = 1;              // every wait is stretched by this
    std::set<std::wstring> shot;  // the screenshots taken
} options;
// clang-format on

[[noreturn]] void Fail(const std::string& why) { throw std::runtime_error(why); }
std::string Quote(std::wstring_view text) { return '"' + Narrow(text) + '"'; }

// '*' stands for any text.
bool Matches(std::string_view text, std::string_view pattern) {
    const size_t star = pattern.find('*');
    if (star == pattern.npos) return text == pattern;
    if (text.substr(0, star) != pattern.substr(0, star)) return false;
    for (size_t at = star; at <= text.size(); ++at)
        if (Matches(text.substr(at), pattern.substr(star + 1))) return true;
    return false;
}

// Polls `done` for up to `seconds`, stretched by the slowdown.
bool Within(double seconds, const std::function<bool()>& done) {
    for (const double until = Seconds() + seconds * options.slow; !done(); Sleep(20))
        if (Seconds() > until) return false;
    return true;
}

std::wstring TextOf(HWND hwnd, size_t size = 4096) {  // WM_GETTEXT, across processes too
    std::wstring text(size, L'\0');
    DWORD_PTR copied = 0;
    const UINT timeout = static_cast<UINT>(60000 * options.slow);  // a program busy with a large view answers late
    SendMessageTimeoutW(hwnd, WM_GETTEXT, size, reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL, timeout, &copied);
    return text.substr(0, copied);
}

RECT ScreenRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

std::wstring SystemFolder(UINT(WINAPI* get)(LPWSTR, UINT) = GetSystemDirectoryW) {
    wchar_t folder[MAX_PATH];
    get(folder, MAX_PATH);
    return folder;
}

// The screen's pixels in `r`, 0x00RRGGBB, row by row from the top.
std::vector<DWORD> Capture(const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB}};
    DWORD* bits = nullptr;
    const HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    std::vector<DWORD> pixels(bits, bits + static_cast<size_t>(w) * h);
    for (DWORD& c : pixels) c &= 0xFFFFFF;
    DeleteObject(SelectObject(dc, old));
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The one padded file's entry, past 5 MB of NUL bytes: what padding is for.
const std::string PaddedEntry = "0.0.0.0 kaspersky.ru";

struct Run {
    const Case& c;
    std::wstring windir, etc = windir + L"\\System32\\drivers\\etc", hosts = etc + L"\\hosts";
    std::optional<std::string> before;  // the hosts file at the start
    DWORD attributes = 0;               // its attributes when the program starts
    std::optional<Program> program;
    HWND main = nullptr, about = nullptr;
    std::vector<std::function<void()>> undo;  // puts back what the case changed outside its sandbox

    ~Run() {
        program.reset();
        Restore();
    }
    void Restore() {
        for (; !undo.empty(); undo.pop_back()) undo.back()();
    }
    int Px(int twips) const { return MulDiv(twips, c.dpi, 1440); }
    // Whether a place in pixels is the one in twips, to a pixel: twips round either way.
    bool At(const RECT& p, int left, int top, int width, int height) const {
        const LONG got[] = {p.left, p.top, p.right - p.left, p.bottom - p.top}, twips[] = {left, top, width, height};
        return std::equal(got, got + 4, twips, [&](LONG pixels, LONG t) { return std::abs(pixels - Px(t)) <= 1; });
    }
    // Waits for `done` (longer for a large file); fails with what is shown instead.
    Scene Await(bool (*done)(const Scene&), const std::string& expected) {
        const bool large = before && before->size() > 1'000'000;
        const Scene s =
            program->WaitFor([&](const Scene& s) { return s.ended || done(s); }, (large ? 120 : 20) * options.slow);
        if (done(s)) return s;
        std::string shown = s.ended ? " the program ended with exit code " + std::to_string(program->ExitCode()) : "";
        for (HWND box : s.boxes) shown += " the message " + Quote(TextOf(GetDlgItem(box, 0xFFFF))) + ";";
        if (s.main) shown += " the main window;";
        if (!s.dialogs.empty()) shown += " a dialog;";
        Fail("expected " + expected + "; shown:" + (shown.empty() ? " nothing" : shown));
    }
    // A screen seen: the first screenshot of its kind at 96 DPI, as a bitmap of 32 bits a pixel,
    // top-down rows.
    void Seen(HWND w, const wchar_t* shot, RECT r = {}) {
        if (!shot || options.screens.empty() || c.dpi != 96 || !options.shot.insert(shot).second) return;
        if (IsRectEmpty(&r)) r = ScreenRect(w);
        // Painted to its end: two looks in a row see the same pixels.
        std::vector<DWORD> pixels = Capture(r), before;
        Within(10, [&] {
            before = std::exchange(pixels, Capture(r));
            return pixels == before;
        });
        const BITMAPINFOHEADER info{sizeof info, r.right - r.left, r.top - r.bottom, 1, 32, BI_RGB};
        const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof info, size = static_cast<DWORD>(pixels.size() * 4);
        const BITMAPFILEHEADER file{0x4D42, headers + size, 0, 0, headers};
        std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
        bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
        bytes.append(reinterpret_cast<const char*>(pixels.data()), size);
        WriteFileBytes(options.screens + L"\\" + shot + L".bmp", bytes);
    }
    // Takes the steps, waits for the program's end; returns its exit code.
    DWORD Play() {
        for (const Step& step : c.steps) step(*this);
        Await([](const Scene& s) { return s.ended; }, "the end of the program");
        return program->ExitCode();
    }
};

// ---- Steps: starting, messages, the end ----

// Starts `exe` with `args`: on the sandbox with /windir:, or on the prefix's own Windows
// without it. Its output goes to a pipe unless `pipe` is false.
void StartWith(
    Run& r, const std::wstring& args, const std::wstring& exe = options.exe, DWORD flags = 0, bool pipe = true) {
    if (!r.program) r.attributes = GetFileAttributesW(r.hosts.c_str());
    const std::wstring windir = r.c.system || args == L"--help" ? L"" : L" \"/windir:" + r.windir + L"\"";
    r.program.emplace(L"\"" + exe + L"\"" + windir + (args.empty() ? L"" : L" " + args), L"HostovikForm1", flags, pipe);
}
void Start(Run& r) { StartWith(r, L""); }

// hostovik-cli.exe with `args` runs through a pipe to its end, with no window. What it wrote,
// read in the OEM code page (UTF-8 with /utf8), must match `said` ('*' for any text, lines end
// in CR LF), and its exit code must be the one its last line gives.
// %W% in `args` stands for the sandbox's Windows folder.
Step Cli(const std::wstring& args, const std::string& said) {
    return [=](Run& r) {
        std::wstring line = args;
        for (std::size_t at; (at = line.find(L"%W%")) != line.npos;) line.replace(at, 3, r.windir);
        StartWith(r, line, options.cli, CREATE_NO_WINDOW);
        r.Await([](const Scene& s) { return s.ended; }, "the end of " + Narrow(args));
        if (r.program->mainShown) Fail(Narrow(args) + " showed a window");
        const std::string bytes = r.program->Output();
        std::wstring text(bytes.size(), L'\0');
        const bool json = args.find(L"/json") != args.npos;  // one object on one line, in ASCII
        text.resize(MultiByteToWideChar(args.find(L"/utf8") == args.npos ? CP_OEMCP : CP_UTF8, 0, bytes.data(),
            static_cast<int>(bytes.size()), text.data(), static_cast<int>(text.size())));
        const std::string output = Narrow(text);
        const bool controls = std::any_of(
            output.begin(), output.end(), [](char c) { return c >= 0 && c < 0x20 && c != '\r' && c != '\n'; });
        const bool oneLine = !json || output.find("\r\n") == output.size() - 2;
        if (controls || !oneLine || !Matches(output, said)) Fail(Narrow(args) + " said \"" + output + '"');
        const std::string code = std::to_string(r.program->ExitCode());
        // The text ends with RESULT's field; JSON has it by its key, in the result's object.
        const std::string told = json ? "\"exit\":" + code + "}" : " exit=" + code + "\r\n";
        const size_t exit = output.rfind(told.substr(0, json ? 7 : 6));
        if (exit == output.npos || output.compare(exit, told.size(), told) ||
            (!json && exit + told.size() != output.size()))
            Fail(Narrow(args) + " ended with exit code " + code);
    };
}

HWND AwaitBox(Run& r, const std::string& expected) {
    return r.Await([](const Scene& s) { return !s.boxes.empty(); }, expected).boxes[0];
}

// The message box `m` (title | text | buttons), answered with the button `answer`. (Its icon is
// the style's, which the unit tests check; icon handles are private to each process under Wine.)
Step Answer(const Message& m, int answer) {
    return [expected = Narrow(m.title + L" | " + m.text + L" | " + m.buttons), shot = m.shot, answer](Run& r) {
        const HWND box = AwaitBox(r, "the message " + expected);
        std::wstring buttons;
        for (const auto& [id, name] : {std::pair{IDOK, L"OK"}, {IDCANCEL, L"Cancel"}, {IDYES, L"Yes"}, {IDNO, L"No"}}) {
            const HWND button = GetDlgItem(box, id);
            if (button && IsWindowVisible(button)) buttons += (buttons.empty() ? L"" : L" ") + std::wstring(name);
        }
        const std::string seen = Narrow(TextOf(box) + L" | " + TextOf(GetDlgItem(box, 0xFFFF)) + L" | " + buttons);
        r.Seen(box, shot);
        if (!Matches(seen, expected)) Fail("expected the message \"" + expected + "\", got \"" + seen + '"');
        PostMessageW(GetDlgItem(box, answer), BM_CLICK, 0, 0);
        if (!Within(5, [&] { return !IsWindow(box) || !IsWindowVisible(box); }))
            Fail("the message \"" + seen + "\" stayed after the answer");
    };
}

// The success message comes only once the stock file is in place.
void StockBeforeSuccess(Run& r) {
    AwaitBox(r, "method 1's second message");
    if (ReadFileBytes(r.hosts) != Stock) Fail("method 1 said it was done before the stock file was in place");
}
const Steps Method1 = {Answer(M1First, IDOK), StockBeforeSuccess, Answer(M1Second, IDOK)};

// The program ends without its main window ever having been shown.
void EndsUnseen(Run& r) {
    r.Await([](const Scene& s) { return s.ended; }, "the end of the program");
    if (r.program->mainShown) Fail("the main window was shown");
}

// While a message is up, the main window (shown or not) is asked to close, as the task bar and
// taskkill do: the method goes on to its end, and then the program ends.
void CloseDuringMessage(Run& r) {
    AwaitBox(r, "a message");
    for (HWND w : WindowsOf(r.program->pi.dwProcessId))
        if (ClassOf(w) == r.program->mainClass) PostMessageW(w, WM_CLOSE, 0, 0);
}

// ---- Steps: the windows ----

// The main window alone, with its title and the hosts file as it was at the start in its view:
// a file too large to show whole, its start, the note, and the entry past it.
void MainShown(Run& r) {
    r.main = r.Await([](const Scene& s) { return s.main && s.boxes.empty(); }, "the main window").main;
    if (TextOf(r.main) != Caption) Fail("main window title " + Quote(TextOf(r.main)));
    const std::string file = r.before.value_or("");
    std::wstring expected = BuildViewText(file.substr(0, ViewCap), Windows1251());
    if (file.size() > ViewCap)
        expected += ViewCutNote(file.size(), ViewCap, 1) + BuildViewText(PaddedEntry, Windows1251());
    const HWND view = GetDlgItem(r.main, HostsView);
    DWORD_PTR length = 0;
    SendMessageTimeoutW(view, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, static_cast<UINT>(60000 * options.slow), &length);
    const std::wstring text = TextOf(view, std::min<size_t>(length, 100000) + 1);  // a long text's start is enough...
    if (length != expected.size() || text != expected.substr(0, text.size()) ||
        (length > text.size() && TextOf(view, length + 1).substr(length - 200) != expected.substr(length - 200)))
        Fail("the view holds " + std::to_string(length) + " characters, the file " + std::to_string(expected.size()));
    r.Seen(r.main, L"main-window");  // ...with its end, where a padded file's entry shows
}

// Posts a message to the main window or the About dialog, or to their control `id`.
Step Post(HWND Run::*window, int id, UINT message, WPARAM wp = 0, LPARAM lp = 0) {
    return [=](Run& r) {
        const HWND to = id ? GetDlgItem(r.*window, id) : r.*window;
        if (!to) Fail("no control " + std::to_string(id) + " to post to");
        PostMessageW(to, message, wp, lp);
    };
}
Step Click(int id) { return Post(&Run::main, id, BM_CLICK); }
Steps ClickLabel(int id) {  // a link label answers the mouse button
    return {Post(&Run::main, id, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2)), Post(&Run::main, id, WM_LBUTTONUP)};
}
const Step CloseMain = Post(&Run::main, 0, WM_SYSCOMMAND, SC_CLOSE);

// The program stays as it is for `seconds`: the main window, no message, no dialog but an open About.
// Not a wait for a state but the span a "nothing happens" is watched over: a slow machine only
// makes it see less, never fail.
Step Idle(double seconds) {
    return [=](Run& r) {
        const std::vector<HWND> dialogs = r.about ? std::vector{r.about} : std::vector<HWND>{};
        for (const double until = Seconds() + seconds; Seconds() < until; Sleep(50)) {
            const Scene s = r.program->Look();
            if (s.ended || !s.main || !s.boxes.empty() || s.dialogs != dialogs) Fail("the program did not stay as is");
        }
    };
}

// Tab goes round the main window's tab stops, out of the view too, and Shift+Tab back.
void TabRoundTrips(Run& r) {
    SetForegroundWindow(r.main);
    const auto focused = [&] {
        GUITHREADINFO info{sizeof info};
        GetGUIThreadInfo(GetWindowThreadProcessId(r.main, nullptr), &info);
        return GetDlgCtrlID(info.hwndFocus);
    };
    for (const bool back : {false, true}) {
        for (int id : back ? std::vector{Method3Button, AboutButton, Method2Button, HostsView, Method1Button}
                           : std::vector{HostsView, Method2Button, AboutButton, Method3Button, Method1Button}) {
            INPUT keys[4] = {};
            for (INPUT& k : keys) k.type = INPUT_KEYBOARD;
            keys[0].ki.wVk = keys[3].ki.wVk = VK_SHIFT;
            keys[1].ki.wVk = keys[2].ki.wVk = VK_TAB;
            keys[2].ki.dwFlags = keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
            SendInput(back ? 4 : 2, back ? keys : keys + 1, sizeof(INPUT));
            if (!Within(5, [&] { return focused() == id; }))
                Fail(std::string(back ? "Shift+" : "") + "Tab took the focus to " + std::to_string(focused()) +
                     ", not " + std::to_string(id));
        }
    }
}

// ---- Layout ----

struct Widget {
    int id;
    const wchar_t* cls;
    DWORD style;                   // bits that must be set; for buttons and statics also their kind
    int left, top, width, height;  // twips
    const wchar_t* text;           // nullptr: not checked
};
constexpr DWORD Picture = BS_ICON | WS_TABSTOP;

// In tab order, as the main window's table gives them; HostsView ends at the client area's edge.
const std::vector<Widget> MainWidgets = {
    {Method1Button, L"Button", Picture, 120, 120, 495, 495, L"Разблокировать способ №1"},
    {HostsView, L"Edit", ES_MULTILINE | ES_READONLY | WS_VSCROLL, 0, 1080, 6015, 5055, nullptr},
    {FileLabel, L"Static", SS_LEFT, 120, 840, 495, 255, L"Файл"},
    {Method2Button, L"Button", Picture, 840, 120, 495, 495, L"Разблокировать способ №2"},
    {AboutButton, L"Button", Picture, 2400, 120, 495, 615, L"О программе..."},
    {Method3Button, L"Button", Picture, 1560, 120, 495, 495, L"Разблокировать способ №3"},
    {AdvertLink, L"Static", SS_NOTIFY, 3000, 120, 3015, 375, L"Рекламное место сдается..."},
    {HostsLink, L"Static", SS_NOTIFY, 600, 840, 495, 255, L"hosts:"},
};
const std::vector<std::pair<int, std::wstring>> MainToolTips = {{Method1Button, L"Разблокировать способ №1"},
    {Method2Button, L"Разблокировать способ №2"}, {AboutButton, L"О программе..."},
    {Method3Button, L"Разблокировать способ №3"}, {HostsLink, L"Посмотреть информацию в интернете."}};
const std::vector<Widget> AboutWidgets = {
    {IDOK, L"Button", BS_DEFPUSHBUTTON | WS_TABSTOP, 4245, 2625, 1260, 345, L"OK"},
    {IconPicture, L"Static", SS_ICON, 240, 240, 540, 540, nullptr},
    {SysInfoButton, L"Button", WS_TABSTOP, 4260, 3075, 1245, 705, L"&Информация о системе..."},
    {DescriptionLabel, L"Static", SS_LEFT, 1050, 1125, 3885, 1170,
        L"Хостовик сайтов поможет Вам разблокировать сайты, которые были заблокированы вирусами, или интернет "
        L"мошениками."},
    {DisclaimerLabel, L"Static", SS_LEFT, 255, 2625, 3870, 1665, L""},
    {TitleLabel, L"Static", SS_LEFT, 1050, 240, 3885, 480, L"Хостовик"},
    {VersionLabel, L"Static", SS_LEFT, 1050, 780, 3885, 225, L"Версия 1.0.6"},
    {CreditLabel, L"Static", SS_LEFT, 240, 4440, 4575, 255, nullptr},
};

// A fixed frame with a close box only, its client area, and its controls in tab order with
// their classes, styles, places and texts.
void CheckLayout(Run& r, HWND w, const std::string& what, SIZE client, const std::vector<Widget>& table) {
    constexpr LONG_PTR frame = WS_SYSMENU | WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    RECT area;
    GetClientRect(w, &area);
    if ((GetWindowLongPtrW(w, GWL_STYLE) & frame) != (WS_CAPTION | WS_SYSMENU) ||
        !r.At(area, 0, 0, client.cx, client.cy))
        Fail(what + ": not a fixed frame with a close box only, or a client area of another size");
    HWND h = GetWindow(w, GW_CHILD);
    for (const Widget& c : table) {
        if (!h || GetDlgCtrlID(h) != c.id) Fail(what + ": control " + std::to_string(c.id) + " is not next in order");
        const DWORD s = static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE));
        const DWORD kind = c.cls[0] == L'B' ? BS_TYPEMASK : c.cls[0] == L'S' ? SS_TYPEMASK : 0;
        RECT p = ScreenRect(h);
        MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&p), 2);
        if (lstrcmpiW(ClassOf(h).c_str(), c.cls) || (s & c.style) != c.style || (s & kind) != (c.style & kind) ||
            !IsWindowVisible(h) || !r.At(p, c.left, c.top, c.width, c.height) || (c.text && TextOf(h) != c.text)) {
            char got[160];
            std::snprintf(got, sizeof got, " is a %s, style 0x%lx, at %ld,%ld size %ldx%ld, text ",
                Narrow(ClassOf(h)).c_str(), s, p.left, p.top, p.right - p.left, p.bottom - p.top);
            Fail(what + ": control " + std::to_string(c.id) + got + Quote(TextOf(h)));
        }
        h = GetWindow(h, GW_HWNDNEXT);
    }
    if (h) Fail(what + ": more controls than the table's");
}

// The tool tips as the mouse shows them, resting on each control that has one; the first is
// kept in a screenshot with the window. A tip shows only for a mouse move that its control itself
// received, so the mouse leaves for the screen's far corner, which no window of the program reaches
// (at 144 DPI the main window stands in the corner at 0,0, which is no place to leave to), then
// comes back; again, until the tip shows: under load the first move after the window opened was
// seen to be lost.
void ToolTipsShown(Run& r) {
    SetForegroundWindow(r.main);
    const POINT away{GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1};
    for (const auto& [id, text] : MainToolTips) {
        const RECT c = ScreenRect(GetDlgItem(r.main, id));
        HWND tip = nullptr;
        const auto shown = [&] {
            for (HWND w : WindowsOf(r.program->pi.dwProcessId))
                if (ClassOf(w) == TOOLTIPS_CLASSW && IsWindowVisible(w) && TextOf(w) == text) tip = w;
            return tip != nullptr;
        };
        int hovers = 0;
        Within(30, [&] {
            ++hovers;
            SetCursorPos(away.x, away.y);
            SetCursorPos((c.left + c.right) / 2, (c.top + c.bottom) / 2);
            return Within(2, shown);
        });
        if (!tip) Fail("no tool tip " + Quote(text) + " over control " + std::to_string(id));
        if (hovers > 1) std::printf("      the tool tip over control %d showed at hover %d\n", id, hovers);
        RECT both, tipRect = ScreenRect(tip), mainRect = ScreenRect(r.main);
        UnionRect(&both, &mainRect, &tipRect);
        r.Seen(tip, L"tool-tip", both);
    }
    SetCursorPos(away.x, away.y);
}

void MainLayout(Run& r) {
    CheckLayout(r, r.main, "main window", {6015, 6195}, MainWidgets);
    RECT view = ScreenRect(GetDlgItem(r.main, HostsView));  // its top border whole under the labels
    view.bottom = view.top + 1;
    view.right = ScreenRect(GetDlgItem(r.main, HostsLink)).right;
    const COLORREF face =
        GetSysColor(COLOR_BTNFACE);  // the window's own colour, where the border is not yet drawn, or painted over
    const DWORD cut = GetRValue(face) << 16 | GetGValue(face) << 8 | GetBValue(face);
    if (!Within(5, [&] {
            const std::vector<DWORD> line = Capture(view);
            return std::count(line.begin(), line.end(), cut) == 0;
        }))
        Fail("the view's border is cut");
    ToolTipsShown(r);
    for (int id : {HostsLink, AdvertLink}) {  // the link labels are drawn in blue
        const std::vector<DWORD> pixels = Capture(ScreenRect(GetDlgItem(r.main, id)));
        if (std::find(pixels.begin(), pixels.end(), 0x0000FFu) == pixels.end()) Fail("a link label is not blue");
    }
}

// The About dialog opens at its place, not owned by the main window, which stays usable.
void OpenAbout(Run& r) {
    Click(AboutButton)(r);
    r.about = r.Await([](const Scene& s) { return s.main && s.dialogs.size() == 1; }, "the About dialog").dialogs[0];
    if (TextOf(r.about) != L"О программе Хостовик") Fail("About caption " + Quote(TextOf(r.about)));
    CheckLayout(r, r.about, "About dialog", {5730, 4725}, AboutWidgets);
    POINT corner{0, 0};  // its client area's place on the screen
    ClientToScreen(r.about, &corner);
    if (!r.At({corner.x, corner.y, corner.x, corner.y}, 2340, 1935, 0, 0)) Fail("the About dialog is not at its place");
    if (GetWindow(r.about, GW_OWNER) == r.main || (GetWindowLongPtrW(r.about, GWL_EXSTYLE) & WS_EX_APPWINDOW) ||
        !IsWindowEnabled(r.main))
        Fail("the About dialog is owned by the main window, has a task-bar button or blocks the main window");
    r.Seen(r.about, L"about");
}

// The About dialog closes, by the message posted to it or its control `id`, leaving the main window alone.
Step CloseAbout(int id, UINT message, WPARAM wp = 0, LPARAM lp = 0) {
    return [=](Run& r) {
        Post(&Run::about, id, message, wp, lp)(r);
        r.Await([](const Scene& s) { return s.main && s.boxes.empty() && s.dialogs.empty(); }, "the main window alone");
        r.about = nullptr;
    };
}
const Step AboutOK = CloseAbout(IDOK, BM_CLICK), AboutEsc = CloseAbout(IDOK, WM_KEYDOWN, VK_ESCAPE, 0x00010001),
           AboutCloseBox = CloseAbout(0, WM_SYSCOMMAND, SC_CLOSE),
           ClickSysInfo = Post(&Run::about, SysInfoButton, BM_CLICK);

// ---- Preparations ----

// Sets a value in the registry of the run's own prefix (none: deletes it). Each case sets the
// values it depends on.
void SetValue(
    HKEY root, const wchar_t* key, const wchar_t* name, const std::optional<std::wstring>& text, DWORD type = REG_SZ) {
    if (!text) RegDeleteKeyValueW(root, key, name);
    else RegSetKeyValueW(root, key, name, type, text->c_str(), static_cast<DWORD>((text->size() + 1) * 2));
}

// Where the About dialog looks for the system information tool: the registry's path of it,
// then the registry's folder holding MSINFO32.EXE.
Step SysInfoAt(std::optional<std::wstring> path, std::optional<std::wstring> folder) {
    return [=](Run&) {
        SetValue(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", L"PATH", path);
        SetValue(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools Location", L"MSINFO", folder);
    };
}
// A value set in the prefix's registry, as malware would set it, and put back when the case ends.
Step Planted(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type, const std::string& bytes) {
    return [=](Run& r) {
        std::string old(1 << 16, '\0');
        DWORD oldType = 0, size = static_cast<DWORD>(old.size());
        const bool had =
            !RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &oldType, old.data(), &size);
        RegSetKeyValueW(root, key.c_str(), name.c_str(), type, bytes.data(), static_cast<DWORD>(bytes.size()));
        r.undo.push_back([=] {
            if (had) RegSetKeyValueW(root, key.c_str(), name.c_str(), oldType, old.data(), size);
            else RegDeleteKeyValueW(root, key.c_str(), name.c_str());
        });
    };
}
// DataBasePath of the prefix's Windows, as malware would set it, until the case ends.
const wchar_t* const Tcpip = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
Step DataBasePathSetTo(const std::wstring& value, DWORD type) {
    return Planted(HKEY_LOCAL_MACHINE, Tcpip, L"DataBasePath", type,
        std::string(reinterpret_cast<const char*>(value.c_str()), (value.size() + 1) * 2));
}
const Step RedirectedByMalware = DataBasePathSetTo(Evil, REG_SZ);
// DataBasePath as the program left it: Windows' default, or still malware's.
Step WindowsReadsHostsFrom(const std::wstring& expected, DWORD type) {
    return [=](Run&) {
        wchar_t now[MAX_PATH] = {};
        DWORD size = sizeof now, got = 0;
        RegGetValueW(HKEY_LOCAL_MACHINE, Tcpip, L"DataBasePath", RRF_RT_ANY | RRF_NOEXPAND, &got, now, &size);
        if (now != expected || got != type) Fail("DataBasePath is " + Narrow(now));
    };
}
const Step ResetToDefault = WindowsReadsHostsFrom(L"%SystemRoot%\\System32\\drivers\\etc", REG_EXPAND_SZ),
           LeftToMalware = WindowsReadsHostsFrom(Evil, REG_SZ);

// The browser stand-in, registered for http as browsers register themselves, for the user; and
// for the machine too, since Wine 8's shell reads only the machine's classes (HKEY_CLASSES_ROOT
// lacks HKCU\Software\Classes there: Wine bug 14771) and would start winebrowser.exe, which
// hands the page to a Unix browser, if any.
void BrowserStandIn(Run&) {
    for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        SetValue(root, L"Software\\Classes\\http\\shell\\open\\command", L"",
            L"\"" + options.bin + L"\\browser.exe\" \"%1\"");
}
// A link label clicked: its page opens (the browser stand-in records its start) or its message
// shows within 2 s, as a user expects of a link; the time taken is printed.
Step LinkAnswers(int label) {
    return [=](Run& r) {
        const auto starts = [] { return ReadFileBytes(options.record).value_or("").size(); };  // a line a start
        const std::size_t before = starts();
        const double clicked = Seconds();
        for (const Step& step : ClickLabel(label)) step(r);
        const bool answered = Within(2, [&] { return starts() > before || !r.program->Look().boxes.empty(); });
        std::printf("      link %d answered in %.1f s\n", label, Seconds() - clicked);
        if (!answered) Fail("no page opened and no message showed within 2 s of the click");
    };
}

std::wstring Env(const wchar_t* name) {
    std::wstring value(32767, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), 32767));
    return value;
}

// Wine's restart helper, which ExitWindowsEx starts, replaced by a stand-in until the case
// ends: the real one would end every process of the Wine session, this driver included. Wine
// uses the copy only with wineboot.exe=n in WINEDLLOVERRIDES, as scripts/e2e.sh sets.
void WinebootStandIn(Run& r) {
    const std::wstring boot = SystemFolder() + L"\\wineboot.exe", saved = options.root + L"\\wineboot.exe";
    if (!CopyFileW(boot.c_str(), saved.c_str(), FALSE) ||
        !CopyFileW((options.bin + L"\\recorder.exe").c_str(), boot.c_str(), FALSE))
        Fail("cannot replace " + Narrow(boot));
    r.undo.push_back([=] { CopyFileW(saved.c_str(), boot.c_str(), FALSE); });
}

// The hosts file as malware protects it: read-only, hidden and system. Wine honours read-only
// only for a user the file system can refuse.
constexpr DWORD Protection = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
void Protected(Run& r) {
    SetFileAttributesW(r.hosts.c_str(), Protection);
    if (std::ofstream(std::filesystem::path(r.hosts), std::ios::app))
        Fail("the read-only file stays writable: run as an unprivileged user");
}

// Another process holds the hosts file open until the case ends, sharing what `share` says.
HANDLE Hold(Run& r, DWORD share) {
    const HANDLE h = CreateFileW(r.hosts.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) Fail("cannot hold the hosts file");
    return h;
}
Step Locked(DWORD share) {
    return [=](Run& r) { r.undo.push_back([h = Hold(r, share)] { CloseHandle(h); }); };
}
// ...or, as a virus scanner does, without sharing its deletion while method 1's first message is
// answered, until the program has written its new file beside hosts.
void HeldWhileMethod1Starts(Run& r) {
    const HANDLE h = Hold(r, FILE_SHARE_READ | FILE_SHARE_WRITE);
    Answer(M1First, IDOK)(r);
    const auto written = [&] {
        for (const auto& entry : std::filesystem::directory_iterator(r.etc))
            if (Matches(Narrow(entry.path().filename().wstring()), "hosts.hostovik-*.tmp")) return true;
        return false;
    };
    const bool seen = Within(20, written);
    CloseHandle(h);
    if (!seen) Fail("no new file beside hosts");
}

// The moves Wine would make at the prefix's next start (PendingFileRenameOperations), NULs and
// all; put back as they were, with no new file of the program's left beside hosts, when the case ends.
const wchar_t* const SessionManager = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
std::optional<std::wstring> PendingRenames() {
    std::wstring names(32768, L'\0');
    DWORD size = static_cast<DWORD>(names.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_LOCAL_MACHINE, SessionManager, L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr,
            names.data(), &size))
        return std::nullopt;
    return names.substr(0, size / sizeof(wchar_t));
}
void RenamesPutBack(Run& r) {
    r.undo.push_back([saved = PendingRenames(), etc = r.etc] {
        std::error_code ignored;  // an undo runs in a destructor too
        for (const auto& entry : std::filesystem::directory_iterator(etc, ignored))
            if (entry.path().filename().wstring().starts_with(L"hosts.hostovik-"))
                std::filesystem::remove(entry.path(), ignored);
        if (!saved) RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, SessionManager, L"PendingFileRenameOperations");
        else SetValue(HKEY_LOCAL_MACHINE, SessionManager, L"PendingFileRenameOperations", *saved, REG_MULTI_SZ);
    });
}
// ...are these names, '|' after each ('*' for any text), and no more.
Step RenamedAtRestart(const std::string& expected) {
    return [=](Run&) {
        std::string names = Narrow(PendingRenames().value_or(L""));
        std::replace(names.begin(), names.end(), '\0', '|');
        if (!Matches(names, expected) ||
            std::count(names.begin(), names.end(), '|') != std::count(expected.begin(), expected.end(), '|'))
            Fail("Windows would move at its start: " + names);
    };
}
const std::string HostsAt = "\\??\\C:\\windows\\System32\\drivers\\etc\\hosts",
                  NewFileAt = HostsAt + ".hostovik-*-1.tmp|";
// /repair of the prefix's own hosts file, which another program holds, twice: the second run
// asks for nothing more.
Steps HeldRepairTwice(const std::string& hosts, const std::string& renames) {
    return {RenamesPutBack,
        Cli(L"/repair", "*RESULT hosts=" + hosts + " redirected=no other=none changed=pending exit=3010\r\n"),
        RenamedAtRestart(renames), Cli(L"/repair", "*changed=pending exit=3010\r\n"), RenamedAtRestart(renames)};
}

// /restore: of a pipe that never writes is refused at once: it must not keep a run waiting.
void PipeRefused(Run& r) {
    const HANDLE pipe =
        CreateNamedPipeW(L"\\\\.\\pipe\\hostovik-e2e", PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
    Cli(L"/restore:\\\\.\\pipe\\hostovik-e2e", "*ошибка 50: *exit=50\r\n")(r);
    CloseHandle(pipe);
}

// The rest of the lookup path, planted in the prefix's own registry and files and put back as
// they were when the case ends: a user's proxy to this computer, as malware sets one...
const std::wstring Settings = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const std::wstring ProxyServer = L"127.0.0.1:8080";
const Steps ProxyHere = {Planted(HKEY_CURRENT_USER, Settings, L"ProxyEnable", REG_DWORD, std::string("\1\0\0\0", 4)),
    Planted(HKEY_CURRENT_USER, Settings, L"ProxyServer", REG_SZ,
        std::string(reinterpret_cast<const char*>(ProxyServer.c_str()), 30))};
// ...switched off, its old values in the one .reg beside hosts, as `reg import` takes them back;
void ProxySwitchedOff(Run& r) {
    DWORD enabled = 1, size = sizeof enabled;
    RegGetValueW(HKEY_CURRENT_USER, Settings.c_str(), L"ProxyEnable", RRF_RT_REG_DWORD, nullptr, &enabled, &size);
    const std::wstring text = L"\xFEFFWindows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" + Settings +
                              L"]\r\n\"ProxyEnable\"=dword:00000001\r\n\"ProxyServer\"=\"" + ProxyServer +
                              L"\"\r\n\r\n";
    for (const auto& entry : std::filesystem::directory_iterator(r.etc))
        if (entry.path().extension() == L".reg" &&
            ReadFileBytes(entry.path()) == std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2) &&
            !enabled)
            return;
    Fail("the proxy stays on, or no .reg beside hosts holds its old values");
}
// A proxy here only in the value browsers read, its old mirror off; what they are told is the proxy,
// asked as Chromium's browsers ask; the old value kept in the .reg beside hosts.
const std::wstring ConnectionsKey = Settings + L"\\Connections";
const std::string ConnectionProxy =
    std::string("\x46\0\0\0\1\0\0\0\3\0\0\0\x0e\0\0\0", 16) + "127.0.0.1:8080" + std::string(40, '\0');
const Steps ConnectionProxyHere = {
    Planted(HKEY_CURRENT_USER, Settings, L"ProxyEnable", REG_DWORD, std::string(4, '\0')),
    Planted(HKEY_CURRENT_USER, ConnectionsKey, L"DefaultConnectionSettings", REG_BINARY, ConnectionProxy)};
Step BrowsersTold(const std::wstring& proxy, const std::wstring& script = L"") {
    return [=](Run&) {
        WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
        if (!WinHttpGetIEProxyConfigForCurrentUser(&config)) Fail("WinHTTP did not tell the proxy browsers use");
        const std::wstring told = config.lpszProxy ? config.lpszProxy : L"",
                           url = config.lpszAutoConfigUrl ? config.lpszAutoConfigUrl : L"";
        for (LPWSTR text : {config.lpszProxy, config.lpszProxyBypass, config.lpszAutoConfigUrl}) GlobalFree(text);
        if (told != proxy || url != script)
            Fail("browsers are told the proxy " + Quote(told) + ", script " + Quote(url));
    };
}
// A connection value's bytes: a version, a counter, the flags, then the proxy, bypass and script texts.
std::string ConnectionValue(char flags, const std::string& proxy, const std::string& script) {
    const auto text = [](const std::string& t) { return std::string{static_cast<char>(t.size()), 0, 0, 0} + t; };
    return std::string("\x46\0\0\0\1\0\0\0", 8) + std::string{flags, 0, 0, 0} + text(proxy) + text("") + text(script) +
           std::string(32, '\0');
}
// Each store left on by malware switched off: the value's flags 2 and 4 cleared, the mirror's ProxyEnable 0.
Step SwitchedOff(const std::wstring& value) {
    return [=](Run&) {
        std::string bytes(1 << 12, '\0');
        DWORD size = static_cast<DWORD>(bytes.size()), enabled = 1, four = sizeof enabled;
        RegGetValueW(
            HKEY_CURRENT_USER, ConnectionsKey.c_str(), value.c_str(), RRF_RT_REG_BINARY, nullptr, bytes.data(), &size);
        RegGetValueW(HKEY_CURRENT_USER, Settings.c_str(), L"ProxyEnable", RRF_RT_REG_DWORD, nullptr, &enabled, &four);
        if (size < 12 || bytes[8] & 6 || enabled) Fail(Narrow(value) + " or the mirror's ProxyEnable is left on");
    };
}
// WinHTTP's own proxy, as the services that use it ask for it.
Step WinHttpTells(const std::wstring& proxy) {
    return [=](Run&) {
        WINHTTP_PROXY_INFO info{};
        if (!WinHttpGetDefaultProxyConfiguration(&info)) Fail("WinHTTP did not tell its own proxy");
        const std::wstring told =
            info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && info.lpszProxy ? info.lpszProxy : L"";
        for (LPWSTR text : {info.lpszProxy, info.lpszProxyBypass}) GlobalFree(text);
        if (told != proxy) Fail("WinHTTP's own proxy is " + Quote(told));
    };
}
// Whether a .reg beside hosts holds `text` (UTF-16, as the program writes it).
bool RegHolds(Run& r, const std::wstring& text) {
    const std::string bytes(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    for (const auto& entry : std::filesystem::directory_iterator(r.etc))
        if (entry.path().extension() == L".reg" &&
            ReadFileBytes(entry.path()).value_or("").find(bytes) != std::string::npos)
            return true;
    return false;
}
void ConnectionKeptInReg(Run& r) {
    if (!RegHolds(r, L"[HKEY_CURRENT_USER\\" + ConnectionsKey +
                         L"]\r\n\"DefaultConnectionSettings\"=hex:46,00,00,00,01,00,00,00,03,00,00,00,0e,"))
        Fail("no .reg beside hosts holds the connection's old value");
}
// ...WinHTTP's proxy as WinHTTP reads it back (Wine's takes only version 0x18, counter 0), and a
// persistent route that sends a site to this computer;
const std::string WinHttpProxy =
    std::string("\x18\0\0\0\0\0\0\0\3\0\0\0\x0e\0\0\0", 16) + "127.0.0.1:3128" + std::string(4, '\0');
const Steps WinHttpAndRouteHere = {
    Planted(HKEY_LOCAL_MACHINE, ConnectionsKey, L"WinHttpSettings", REG_BINARY, WinHttpProxy),
    Planted(HKEY_LOCAL_MACHINE, std::wstring(Tcpip) + L"\\PersistentRoutes", L"8.8.8.8,255.255.255.255,127.0.0.1,1",
        REG_SZ, std::string(2, '\0'))};
// ...Windows' own shared-connection name in hosts.ics;
void IcsOwnName(Run& r) {
    WriteFileBytes(r.hosts + L".ics", "192.168.137.1 DESKTOP-E2E.mshome.net\r\n");
    r.undo.push_back([ics = r.hosts + L".ics"] { DeleteFileW(ics.c_str()); });
}
// ...an adapter whose name servers are set by hand, as DNS changers set them; hosts.ics with an entry.
void NameServerAndIcs(Run& r) {
    const std::wstring adapter = L"\\{0E2E0E2E-0000-4000-8000-000000000001}",
                       keys[] = {std::wstring(Tcpip) + L"\\Interfaces" + adapter,
                           L"SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}" +
                               adapter};
    SetValue(HKEY_LOCAL_MACHINE, keys[0].c_str(), L"NameServer", L"6.6.6.6");
    SetValue(HKEY_LOCAL_MACHINE, (keys[1] + L"\\Connection").c_str(), L"Name", L"Сеть e2e");
    WriteFileBytes(r.hosts + L".ics", "10.0.0.9 bank.ru\r\n");
    r.undo.push_back([=, ics = r.hosts + L".ics"] {
        for (const std::wstring& key : keys) RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
        DeleteFileW(ics.c_str());
    });
}
// ...a DoH template for a server of its own in Windows' list, as a DNS changer would add it.
void DohTemplatePlanted(Run& r) {
    const std::wstring key = L"SYSTEM\\CurrentControlSet\\Services\\Dnscache\\Parameters\\DohWellKnownServers\\6.6.6.6";
    SetValue(HKEY_LOCAL_MACHINE, key.c_str(), L"Template", L"https://evil.example/dns-query");
    r.undo.push_back([=] { RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str()); });
}
// ...two Winsock protocol entries: one whose DLL is gone from the system folder, as a program
// removed by hand leaves it, and an unsigned file outside it (the recorder). Each path, as
// Windows writes it, fills the first MAX_PATH bytes of its entry.
void WinsockEntries(Run& r) {
    int n = 0;
    for (std::string packed :
        {std::string("%SystemRoot%\\system32\\e2e-gone.dll"), Narrow(options.bin) + "\\recorder.exe"}) {
        packed.resize(MAX_PATH + 16, '\0');
        Planted(HKEY_LOCAL_MACHINE,
            L"SYSTEM\\CurrentControlSet\\Services\\WinSock2\\Parameters\\Protocol_Catalog9\\"
            L"Catalog_Entries\\00000000009" +
                std::to_wstring(n++),
            L"PackedCatalogItem", REG_BINARY, packed)(r);
    }
}
// ...browsers' policies for the whole computer, as adware sets them: Chrome's proxy here, Yandex
// Browser's DNS-over-HTTPS server, an Edge block list of two security sites and another;
const std::wstring Policies = L"SOFTWARE\\Policies\\", EdgeBlocklist = Policies + L"Microsoft\\Edge\\URLBlocklist";
void BrowserPoliciesPlanted(Run& r) {
    const std::pair<std::wstring, std::vector<std::pair<const wchar_t*, const wchar_t*>>> keys[] = {
        {Policies + L"Google\\Chrome", {{L"ProxyMode", L"fixed_servers"}, {L"ProxyServer", L"127.0.0.1:8080"}}},
        {Policies + L"YandexBrowser", {{L"DnsOverHttpsTemplates", L"https://evil.example/dns-query"}}},
        {Policies + L"Microsoft\\Edge", {}},
        {EdgeBlocklist, {{L"1", L"kaspersky.ru"}, {L"2", L"*.drweb.ru"}, {L"3", L"vk.com"}}}};
    for (const auto& [key, values] : keys) {
        for (const auto& [name, text] : values) SetValue(HKEY_LOCAL_MACHINE, key.c_str(), name, text);
        HKEY made = nullptr;  // Edge's own key, the list's parent, has no value of its own
        if (values.empty() && !RegCreateKeyW(HKEY_LOCAL_MACHINE, key.c_str(), &made)) RegCloseKey(made);
        r.undo.push_back([key] { RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str()); });
    }
}
// ...Chrome's proxy gone, Edge's list holding the other site alone, their old values in the .reg;
void PoliciesUndone(Run& r) {
    const auto value = [](const std::wstring& key, const wchar_t* name) {
        wchar_t text[256] = {};
        DWORD size = sizeof text;
        return RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &size)
                   ? L"-"
                   : std::wstring(text);
    };
    if (value(Policies + L"Google\\Chrome", L"ProxyServer") != L"-" || value(EdgeBlocklist, L"1") != L"vk.com" ||
        value(EdgeBlocklist, L"2") != L"-")
        Fail("Chrome's proxy policy stays, or Edge's block list is not vk.com alone");
    if (!RegHolds(r, L"[HKEY_LOCAL_MACHINE\\" + EdgeBlocklist +
                         L"]\r\n\"1\"=\"kaspersky.ru\"\r\n\"2\"=\"*.drweb.ru\"\r\n\"3\"=\"vk.com\"\r\n"))
        Fail("no .reg beside hosts holds Edge's old block list");
}
// ...a Firefox profile of the user's, its proxy here, with a preference of the user's beside it.
std::wstring FirefoxProfile() {
    wchar_t roaming[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, roaming);
    return roaming + std::wstring(L"\\Mozilla\\Firefox\\Profiles\\e2e.default");
}
const std::string FirefoxOwn = "user_pref(\"browser.startup.homepage\", \"https://ya.ru\");\r\n",
                  FirefoxPrefs = FirefoxOwn +
                                 "user_pref(\"network.proxy.http\", \"127.0.0.1\");\r\n"
                                 "user_pref(\"network.proxy.http_port\", 3128);\r\n"
                                 "user_pref(\"network.proxy.type\", 1);\r\n";
void FirefoxProxyPlanted(Run& r) {
    const std::filesystem::path profile = FirefoxProfile(), firefox = profile.parent_path().parent_path();
    if (std::filesystem::exists(firefox))
        Fail("the prefix has a Firefox folder of its own: " + Narrow(firefox.wstring()));
    std::filesystem::create_directories(profile);
    WriteFileBytes(firefox / L"profiles.ini",
        "[General]\r\nStartWithLastProfile=1\r\n\r\n[Profile0]\r\nName=default\r\n"
        "IsRelative=1\r\nPath=Profiles/e2e.default\r\n");
    WriteFileBytes(profile / L"prefs.js", FirefoxPrefs);
    r.undo.push_back([firefox] {
        std::error_code failed;  // a clean-up that fails must not end the driver
        std::filesystem::remove_all(firefox, failed);
        std::filesystem::remove(firefox.parent_path(), failed);  // Mozilla's folder, unless it holds more
    });
}
// The profile's prefs.js as the case expects it: the user's preference alone, the old file copied
// beside it; or untouched, with no copy.
Step FirefoxPrefsAre(const std::string& expected, int copies) {
    return [=](Run&) {
        int found = 0;
        for (const auto& entry : std::filesystem::directory_iterator(FirefoxProfile()))
            found += Matches(Narrow(entry.path().filename().wstring()), "prefs.js.20*.bak") &&
                     ReadFileBytes(entry.path()) == FirefoxPrefs;
        if (ReadFileBytes(FirefoxProfile() + L"\\prefs.js") != expected || found != copies)
            Fail("prefs.js is not as expected, or " + std::to_string(found) + " copies of the old one");
    };
}
// Firefox running with the profile holds its parent.lock, sharing nothing, until the case ends.
void FirefoxRuns(Run& r) {
    const HANDLE lock = CreateFileW(
        (FirefoxProfile() + L"\\parent.lock").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (lock == INVALID_HANDLE_VALUE) Fail("parent.lock could not be held");
    r.undo.push_back([lock] { CloseHandle(lock); });  // undone first, before the profile goes
}
const Message ProxyFound{Detection,
    OtherPlacesFound({L"прокси для всех страниц (пользователь): " + ProxyServer + OnThisComputer}, true), L"Yes No",
    L"other-places"},
    // Wine's wininet answers the notice of changed settings, sent with no handle as Windows takes
    // it, with ERROR_INTERNET_INCORRECT_HANDLE_TYPE: the message says so, as it would on Windows.
    ProxyOff{Caption, ProxiesSwitchedOff(L"*", {}) + BrowsersNotToldNote(12018, L"*"), L"OK"};

// ---- The cases ----

const Steps ModifiedNo = {Start, Answer(Modified, IDNO), MainShown},
            StockYes = {Start, Answer(Unmodified, IDYES), MainShown}, Layout = {MainLayout, OpenAbout, CloseMain};
Steps SysInfoFrom(std::optional<std::wstring> path, std::optional<std::wstring> folder) {
    return {SysInfoAt(path, folder), ClickSysInfo, Idle(1)};
}
// The log a /log: switch left beside the sandbox's Windows folder holds these lines.
// ...each line's fields after the time and its offset from UTC ("2026-12-07T16:20:05+03:00"), the
// computer and the program's version, with `%H%` for the hosts file's path.
Step Logged(const std::vector<std::string>& lines) {
    return [=](Run& r) {
        const std::string log = ReadFileBytes(r.windir + L"\\log.txt").value_or("");
        const std::string version = std::to_string(ThisApp.major) + "." + std::to_string(ThisApp.minor) + "." +
                                    std::to_string(ThisApp.revision);
        std::string expected;
        for (std::string line : lines) {
            for (std::size_t at; (at = line.find("%H%")) != line.npos;) line.replace(at, 3, Narrow(r.hosts));
            expected += "20*-*-*T*:*:**:*\t*\t" + version + "\t" + line + "\r\n";
        }
        if (!Matches(log, expected)) Fail("the log holds \"" + log + '"');
    };
}
// A log whose name is another file's second name, as malware would plant one for win.ini: refused,
// and the other file untouched.
void HardLinkedLogRefused(Run& r) {
    const std::wstring ini = r.windir + L"\\win.ini";
    WriteFileBytes(ini, "[fonts]\r\n");
    if (!CreateHardLinkW((r.windir + L"\\linked.txt").c_str(), ini.c_str(), nullptr)) Fail("cannot make a hard link");
    Cli(L"/check /log:%W%\\linked.txt", "*строка журнала не записана: у файла несколько имён *\r\nRESULT *exit=1\r\n")(
        r);
    if (ReadFileBytes(ini) != "[fonts]\r\n") Fail("the log's line went to the other name");
}
const std::wstring LongPath(40000, L'x');  // a DataBasePath far longer than any folder's name

// Another installation's registry file in the sandbox's System32\config\SYSTEM: control set 1
// starts, and its DataBasePath is malware's. Made under a scratch key of the driver's own, saved
// with RegSaveKeyW (with the backup privilege, which it needs), the scratch key deleted.
void SystemFileMoved(Run& r) {
    const std::wstring scratch = L"SOFTWARE\\HostovikE2E", file = r.windir + L"\\System32\\config\\SYSTEM";
    const DWORD current = 1;
    RegSetKeyValueW(
        HKEY_LOCAL_MACHINE, (scratch + L"\\Select").c_str(), L"Current", REG_DWORD, &current, sizeof current);
    SetValue(HKEY_LOCAL_MACHINE, (scratch + L"\\ControlSet001\\" + TcpipParameters).c_str(), L"DataBasePath", Evil,
        REG_EXPAND_SZ);
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    HANDLE token = nullptr;
    TOKEN_PRIVILEGES backup{1, {{{}, SE_PRIVILEGE_ENABLED}}};
    LookupPrivilegeValueW(nullptr, SE_BACKUP_NAME, &backup.Privileges[0].Luid);
    OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token);
    AdjustTokenPrivileges(token, FALSE, &backup, 0, nullptr, nullptr);
    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, scratch.c_str(), 0, KEY_READ, &key);
    const LSTATUS saved = RegSaveKeyW(key, file.c_str(), nullptr);
    backup.Privileges[0].Attributes = 0;  // the programs it starts inherit none enabled
    AdjustTokenPrivileges(token, FALSE, &backup, 0, nullptr, nullptr);
    RegCloseKey(key);
    CloseHandle(token);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, scratch.c_str());
    if (saved != ERROR_SUCCESS) Fail("cannot save a registry file: error " + std::to_string(saved));
}
// The company's list in a folder of its own, as the driver's user writes it: Wine gives that
// account the right to change both, whatever the permissions set; and its SHA-256.
const std::string CompanyList = "# ours\r\n" + CompanyLines + "# end\r\n";
const std::wstring ListPinned =
    L"/allow:%W%\\lists\\allow.txt#982f0d5a3906a5f1db8c3aa0e2ab1ee2d5b6eabc52e73f53ebc0cef9d749cb51";
void ListWritten(Run& r) {
    std::filesystem::create_directories(r.windir + L"\\lists");
    WriteFileBytes(r.windir + L"\\lists\\allow.txt", CompanyList);
}

// No registry file of a run is left loaded once it has ended.
void NoneLoaded(Run&) {
    wchar_t name[256];
    for (DWORD i = 0, size = 256;
         !RegEnumKeyExW(HKEY_LOCAL_MACHINE, i, name, &size, nullptr, nullptr, nullptr, nullptr); ++i, size = 256)
        if (std::wstring_view(name).starts_with(LoadedHivePrefix)) Fail("still loaded: HKLM\\" + Narrow(name));
}

// Wine keeps no event log: its calls are stubs that trace what they were given to the standard
// error of the Wine process tree, which scripts/e2e.sh sends to %E2E_TRACE% for the driver's run
// of the group "eventlog". hostovik-cli.exe runs as Cli runs it (to its end, waited for a bounded
// time), with those traces on for it alone; what they added to the file must then match `traced`.
Step CliTraced(const std::wstring& args, const std::string& said, const std::string& traced) {
    return [=](Run& r) {
        const std::wstring path = Env(L"E2E_TRACE");
        if (path.empty()) Fail("E2E_TRACE is not set: run the group eventlog through scripts/e2e.sh");
        const std::size_t before = ReadFileBytes(path).value_or("").size();
        {
            struct Traced {  // the driver's own WINEDEBUG back, whatever the run did
                std::wstring debug = Env(L"WINEDEBUG");
                ~Traced() { SetEnvironmentVariableW(L"WINEDEBUG", debug.c_str()); }
            } traced;
            SetEnvironmentVariableW(L"WINEDEBUG", L"-all,trace+eventlog,fixme+advapi");
            Cli(args, said)(r);
        }
        const std::string trace = ReadFileBytes(path).value_or("").substr(before);
        if (!Matches(trace, traced)) Fail("Wine's event log calls traced: \"" + trace + '"');
    };
}
// The source's key in the prefix's registry: none before the case, and none after it.
const std::wstring EventSource = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Hostovik";
void NoEventSource(Run& r) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, EventSource.c_str());
    r.undo.push_back([] { RegDeleteTreeW(HKEY_LOCAL_MACHINE, EventSource.c_str()); });
}
// ...registered by the run: its message table the console program's own file, the three types.
void EventSourceRegistered(Run&) {
    wchar_t file[MAX_PATH] = {};
    DWORD size = sizeof file, type = 0, types = 0, four = sizeof types;
    RegGetValueW(
        HKEY_LOCAL_MACHINE, EventSource.c_str(), L"EventMessageFile", RRF_RT_ANY | RRF_NOEXPAND, &type, file, &size);
    RegGetValueW(HKEY_LOCAL_MACHINE, EventSource.c_str(), L"TypesSupported", RRF_RT_REG_DWORD, nullptr, &types, &four);
    if (lstrcmpiW(file, options.cli.c_str()) || type != REG_EXPAND_SZ || types != 7)
        Fail("the source's message file is " + Quote(file) + " of type " + std::to_string(type) + ", its types " +
             std::to_string(types));
}

const std::vector<Case>& Cases() {
    // clang-format off
    static const std::vector<Case> cases = {
        // The start-up check and method 1
        {"modified file, No: the main window shows it; its layout, tool tips and About at 96 DPI", Infected,
         ModifiedNo + Layout},
        {"stock file, Yes: the main window shows it; Tab and Shift+Tab go round it", Stock,
         StockYes + Steps{TabRoundTrips, CloseMain}},
        {"modified file, Yes, hosts held for a moment: method 1 writes the stock file", Infected,
         {Start, Answer(Modified, IDYES), HeldWhileMethod1Starts, Method1[1], Method1[2], EndsUnseen},
         Stocked | BackedUp},
        {.name = "protected file (read-only, hidden, system), method 1: repaired", .hosts = Infected,
         .steps = Steps{Protected, Start, Answer(Modified, IDYES)} + Method1 + Steps{EndsUnseen},
         .after = Stocked | BackedUp, .group = "unprivileged"},
        {"hosts held open without delete sharing, method 1: error, never success", Infected,
         {[](Run& r) { SetFileAttributesW(r.hosts.c_str(), FILE_ATTRIBUTE_HIDDEN); },
          Locked(FILE_SHARE_READ | FILE_SHARE_WRITE), Start, Answer(Modified, IDYES), Method1[0],
          Answer(HostsError(L"32"), IDOK), EndsUnseen}, Unchanged, "", 32},
        // Held for good: the replace at the next start, with a copy now if one can be made; a second run adds nothing.
        {.name = "cli: /repair of hosts held by a program sharing all: a copy now, the stock file at the restart, "
                 "twice",
         .hosts = Infected, .steps = Steps{Locked(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)} +
                                     HeldRepairTwice("modified", NewFileAt + "!" + HostsAt + "||"),
         .after = BackedUp, .exitCode = 3010, .system = true},
        {.name = "cli: /repair of hosts held sharing nothing: at the restart it becomes a copy, then the stock file, "
                 "twice", .hosts = Infected,
         .steps = Steps{Locked(0)} +
                  HeldRepairTwice("unchecked", HostsAt + "|" + HostsAt + ".20*.bak|" + NewFileAt + HostsAt + "||"),
         .exitCode = 3010, .system = true},
        // The running Windows: its own hosts file, whatever windir says, and where it reads it from.
        {.name = "DataBasePath moved, Yes, windir a decoy: the default back, the old value shown", .hosts = Stock,
         .steps = {RedirectedByMalware, Start, Answer(Redirected, IDYES), Answer(Reset, IDOK),
                   Answer(Unmodified, IDYES), MainShown, CloseMain, ResetToDefault}, .system = true},
        {.name = "DataBasePath of 40,000 characters: the warning cut short, the window, method 1 repairs",
         .hosts = Infected,
         .steps = Steps{DataBasePathSetTo(LongPath, REG_EXPAND_SZ), Start,
                        Answer({Detection, RedirectWarning(LongPath.substr(0, 300) + L"…"), L"Yes No"}, IDNO),
                        Answer(Modified, IDNO), MainShown, Click(Method1Button)} + Method1,
         .after = Stocked | BackedUp, .record = Flushed, .system = true},
        // Methods 2 and 3: route.exe comes from the system folder, not from beside the program,
        // the current folder or PATH, where stand-ins wait too.
        {"method 3, No: the window stays; closed during the question: No, then the program ends", Stock,
         StockYes + Steps{Click(Method3Button), Answer(M3Ask, IDNO), Idle(1), Click(Method3Button),
                          CloseDuringMessage, Answer(M3Ask, IDNO)}},
        {"method 3, Yes: route -f starts minimized from the system folder", Stock,
         StockYes + Steps{Click(Method3Button), Answer(M3Ask, IDYES)}, Unchanged, Routed},
        {"method 2 closed during its warning, No: stock file, copy kept, no restart", Infected,
         Steps{WinebootStandIn} + ModifiedNo + Steps{Click(Method2Button), CloseDuringMessage,
                                                    Answer(M2First, IDOK), Answer(M2Restart, IDNO)},
         Stocked | BackedUp},
        // The main window
        {.name = "main window at 144 DPI: frame, controls, tool tips", .hosts = Infected, .steps = ModifiedNo + Layout,
         .dpi = 144},
        {"links open their pages through the desktop shell within 2 s, the browser registered per user too; the "
         "window stays", Stock,
         Steps{BrowserStandIn} + StockYes +
             Steps{LinkAnswers(HostsLink), Idle(0.5), LinkAnswers(AdvertLink), Idle(0.5), CloseMain},
         Unchanged,
         "*browser.exe|*\"http://www.ru.wikipedia.org/wiki/Hosts\"|*\n*browser.exe|*\"http://www.*/forum/3-22-1\"|*\n"},
        {.name = "links without the desktop shell: the address is shown, nothing starts", .hosts = Stock,
         .steps = Steps{BrowserStandIn} + StockYes +
                  Steps{LinkAnswers(AdvertLink), Answer({Caption, OpenByHand(ForumPage), L"OK"}, IDOK), Idle(0.5),
                        CloseMain}, .group = "no-desktop-shell"},
        // The About dialog
        {"About: texts, place, one instance, both windows usable; Esc, the close box; closing the main window",
         Stock, StockYes + Steps{OpenAbout, Click(AboutButton), Idle(0.5), Click(Method3Button), Answer(M3Ask, IDNO),
                                 Idle(0.2), AboutOK, OpenAbout, AboutEsc, OpenAbout, AboutCloseBox, OpenAbout,
                                 CloseMain}},
        {"About: the tool from the registry's path, then from its folder, else the message", Stock,
         StockYes + Steps{OpenAbout} + SysInfoFrom(options.bin + L"\\sysinfo.exe", {}) +
             SysInfoFrom({}, options.root + L"\\msinfo") +
             Steps{SysInfoAt({}, {}), ClickSysInfo, Answer(NoSysInfo, IDOK), Idle(0.5), CloseMain},
         Unchanged, "*\\sysinfo.exe|*|1|C:\\windows\\system32\n*\\MSINFO32.EXE|*|1|C:\\windows\\system32\n"},
        // Hostile hosts files
        {"an entry after 5 MB of padding: the view shows it; method 1 repairs the file",
         Infected + std::string(5'000'000, '\0') + "\r\n" + PaddedEntry + "\r\n",
         ModifiedNo + Steps{Click(Method1Button)} + Method1, Stocked | BackedUp},
        // The command line, its output read through a pipe: in the console's code page unless /utf8,
        // each run's words as the unit tests have them.
        {"cli: /check through a pipe in the OEM code page and in UTF-8: entries, no control character; --help; a "
         "hard-linked log refused, its other name untouched", Infected + "0.0.0.0 evil\x1b[2J.com\rnext\r\n",
         {HardLinkedLogRefused,
          Cli(L"/check /log:%W%\\log.txt", "*кроме localhost на этом компьютере: 7\r\n*  0.0.0.0 evil?[2J.com\r\n"
                                           "файл hosts изменён\r\nRESULT hosts=modified *exit=1\r\n"),
          Cli(L"/check /utf8", "*кроме localhost на этом компьютере: 7\r\n*  0.0.0.0 evil?[2J.com\r\n*"),
          Cli(L"--help", "Хостовик: проверка и восстановление файла hosts.\r\n*exit=0\r\n"),
          Logged({"check\t%H%\t7\t1\tфайл hosts изменён\t-"})}},
        {"cli: /repair twice (the second changes nothing), /check lists the copy, /restore: of it by its bare name, a "
         "log line each, DataBasePath not the other Windows', whose registry file is missing, nor its DNS cache; "
         "/restore: of a pipe refused; the same bytes repaired again: one copy", Infected,
         {RedirectedByMalware,
          Cli(L"/repair /log:%W%\\log.txt", "*не прочитан: ошибка 2: *\\System32\\config\\SYSTEM)\r\n"
                                            "*кэш DNS не нужно очищать: *\r\n"
                                            "RESULT hosts=modified redirected=unchecked other=unread changed=yes *"),
          Cli(L"/repair /log:%W%\\log.txt", "*RESULT hosts=clean redirected=unchecked other=unread changed=no *"),
          Cli(L"/check", "*новые первыми: 1\r\n  hosts.20*.bak (" + std::to_string(Infected.size()) + " байт)\r\n*"),
          [](Run& r) {
              for (const auto& entry : std::filesystem::directory_iterator(r.etc))
                  if (entry.path().extension() == L".bak")
                      Cli(L"/restore:" + entry.path().filename().wstring() + L" /log:%W%\\log.txt", "*exit=0\r\n")(r);
          },
          Logged({"repair\t%H%\t6\t0\tфайл hosts заменён стандартным\t%H%.20*.bak",
                  "repair\t%H%\t0\t0\tфайл hosts не изменён: записей в нём нет\t-",
                  "restore\t%H%\t0\t0\tфайл hosts заменён файлом %H%.20*.bak\t-"}),
          LeftToMalware, PipeRefused, Cli(L"/repair", "*копия старого файла: *.bak\r\n*changed=yes exit=0\r\n")},
         Stocked | BackedUp},
        // Wine keeps no change of a loaded registry file: the reset is seen in what /repair says.
        {"cli: another Windows' own registry file: DataBasePath moved in its active control set, reset; unloaded "
         "after each run", Stock,
         {SystemFileMoved, Cli(L"/check", "*: C:\\evil\\etc\r\n*RESULT hosts=clean redirected=yes *exit=1\r\n"),
          NoneLoaded, Cli(L"/repair", "*было: C:\\evil\\etc; *redirected=yes other=unread changed=yes exit=3010\r\n"),
          NoneLoaded}, Unchanged, "", 3010},
        // The rest of the lookup path, in the prefix's own registry: nothing there at first.
        {.name = "cli: other places: none at first; hosts.ics, a name server by hand, a user's proxy here named, "
                 "exit 0; /repair switches the proxy off, its old values in a .reg beside hosts", .hosts = Stock,
         .steps = Steps{Cli(L"/check", "*RESULT hosts=clean redirected=no other=none changed=no exit=0\r\n"),
                        NameServerAndIcs} + ProxyHere +
                  Steps{Cli(L"/check", "*\r\nhosts.ics: 10.0.0.9 bank.ru\r\n*(пользователь): 127.0.0.1:8080 *"
                                       "(Сеть e2e, IPv4): 6.6.6.6 *other=ics,proxy,dns changed=no exit=0\r\n"),
                        Cli(L"/repair", "*отменено (1); прежние значения в *\\etc\\hosts.20*.reg*exit=0\r\n"),
                        ProxySwitchedOff}, .after = RegKept, .system = true},
        {.name = "cli: a proxy here only in the value browsers read: named; /repair switches it off for them, its old "
                 "value kept", .hosts = Stock,
         .steps = ConnectionProxyHere + Steps{BrowsersTold(L"127.0.0.1:8080"),
                  Cli(L"/check", "*(пользователь, локальная сеть): 127.0.0.1:8080 (на этом компьютере*exit=0\r\n"),
                  Cli(L"/repair", "*отменено (1)*changed=yes exit=0\r\n"), BrowsersTold(L""), ConnectionKeptInReg},
         .after = RegKept, .system = true},
        {.name = "cli: a script here in the value browsers read, a PPPoE entry's own proxy here, the old mirrors' proxy "
                 "here: each named; /repair switches every store off", .hosts = Stock,
         .steps = ProxyHere + Steps{Planted(HKEY_CURRENT_USER, ConnectionsKey, L"DefaultConnectionSettings", REG_BINARY,
                                        ConnectionValue(5, "", "http://127.0.0.1:9/p.pac")),
                  Planted(HKEY_CURRENT_USER, ConnectionsKey, L"PPPoE Дом.ру", REG_BINARY,
                      ConnectionValue(3, "127.0.0.1:3128", "")), BrowsersTold(L"", L"http://127.0.0.1:9/p.pac"),
                  Cli(L"/check", "*(пользователь, локальная сеть): http://127.0.0.1:9/p.pac (на этом компьютере*"
                                 "(пользователь, подключение \"PPPoE Дом.ру\"): 127.0.0.1:3128 (на этом компьютере*"
                                 "(пользователь): 127.0.0.1:8080 (на этом компьютере*other=proxy,pac changed=no exit=0\r\n"),
                  Cli(L"/repair", "*отменено (3)*changed=yes exit=0\r\n"), BrowsersTold(L""),
                  SwitchedOff(L"DefaultConnectionSettings"), SwitchedOff(L"PPPoE Дом.ру")},
         .after = RegKept, .system = true},
        {.name = "cli: hosts.ics with only Windows' own mshome.net name is none; WinHTTP's proxy and a persistent route "
                 "through this computer are named; /repair sets WinHTTP direct, as WinHTTP then tells",
         .hosts = Stock,
         .steps = Steps{IcsOwnName, Cli(L"/check", "*RESULT hosts=clean redirected=no other=none changed=no exit=0\r\n")} +
                  WinHttpAndRouteHere + Steps{WinHttpTells(L"127.0.0.1:3128"),
                  Cli(L"/check", "*\r\nпрокси WinHTTP (службы Windows, обновления): 127.0.0.1:3128 (на этом компьютере*"
                                 "\r\nпостоянный маршрут мимо сети: *: 8.8.8.8,255.255.255.255,127.0.0.1,1 (сброс: route "
                                 "delete 8.8.8.8)\r\n*other=winhttp,route changed=no exit=0\r\n"),
                  Cli(L"/repair", "*отменено (1)*other=winhttp,route changed=yes exit=0\r\n"), WinHttpTells(L"")},
         .after = RegKept, .system = true},
        {.name = "cli: a DoH template is named with its server; other=doh", .hosts = Stock,
         .steps = {DohTemplatePlanted,
                   Cli(L"/check", "*\r\nDNS через HTTPS (известные Windows серверы): 6.6.6.6 -> "
                                  "https://evil.example/dns-query (сброс: *other=doh changed=no exit=0\r\n")},
         .system = true},
        {.name = "cli: browsers' policies on a computer no one manages: Chrome's proxy here and Yandex Browser's DoH "
                 "template named; /repair deletes them and frees Edge's block list of kaspersky.ru and *.drweb.ru, "
                 "keeping vk.com, the old values in a .reg", .hosts = Stock,
         .steps = {BrowserPoliciesPlanted,
                   Cli(L"/check", "*\r\nполитика браузера (Google Chrome, весь компьютер): ProxyServer = 127.0.0.1:8080 "
                                  "(компьютер не в домене *URLBlocklist 3 = vk.com (может быть задано родителями *"
                                  "\r\nполитика браузера (Яндекс Браузер, весь компьютер): DnsOverHttpsTemplates = "
                                  "https://evil.example/dns-query (компьютер не в домене *other=browser changed=no "
                                  "exit=0\r\n"),
                   Cli(L"/repair", "*отменено (4); прежние значения в *\\etc\\hosts.20*.reg*exit=0\r\n"),
                   PoliciesUndone}, .after = RegKept, .system = true},
        {.name = "cli: Firefox's proxy here in a profile's prefs.js: named; /repair takes it out, the user's own "
                 "preference kept, the old file copied beside it", .hosts = Stock,
         .steps = {FirefoxProxyPlanted,
                   Cli(L"/check", "*\r\nFirefox (пользователь, *e2e.default): прокси HTTP 127.0.0.1:3128 (на этом "
                                  "компьютере*other=firefox changed=no exit=0\r\n"),
                   Cli(L"/repair", "*отменено (1)\r\nпрежний файл Firefox сохранён: *prefs.js.20*.bak\r\n*changed=yes "
                                   "exit=0\r\n"),
                   FirefoxPrefsAre(FirefoxOwn, 1)}, .system = true},
        {.name = "cli: Firefox's proxy here while Firefox runs (its parent.lock held): named, left as it is",
         .hosts = Stock,
         .steps = {FirefoxProxyPlanted, FirefoxRuns,
                   Cli(L"/repair", "*127.0.0.1:3128 (на этом компьютере: так делают вредоносные программы; Firefox "
                                   "запущен: закройте его и запустите проверку снова)\r\n*changed=no exit=0\r\n"),
                   FirefoxPrefsAre(FirefoxPrefs, 0)}, .system = true},
        {.name = "cli: /check /json: a bank's site sent elsewhere, a security site and an ad name blocked: one "
                 "object, exit code 1, the three entries by kind", .hosts = Stock + KindsOfEntries,
         .steps = {Cli(L"/check /json",
             "{\"schema\":1,\"action\":\"check\",\"result\":{\"hosts\":\"modified\",*\"exit\":1},*"
             "\"entryCount\":3,\"counts\":{\"redirect\":1,\"block-security\":1,\"block\":1},*\"entries\":["
             "{\"line\":*,\"address\":\"91.200.1.2\",\"names\":[\"online.sberbank.ru\"],\"kind\":\"redirect\",*},"
             "{\"line\":*,\"address\":\"127.0.0.1\",\"names\":[\"kaspersky.ru\"],\"kind\":\"block-security\",*},"
             "{\"line\":*,\"address\":\"0.0.0.0\",\"names\":[\"ads.doubleclick.net\"],\"kind\":\"block\",*}],"
             "*\"results\":[\"\\u0444\\u0430\\u0439\\u043b hosts \\u0438\\u0437\\u043c\\u0435\\u043d\\u0451\\u043d\"],\"errors\":[]}\r\n")}, .exitCode = 1, .system = true},
        {.name = "cli: a missing Winsock DLL in the system folder is named, an unsigned one outside it as unsigned; "
                 "exit 0", .hosts = Stock,
         .steps = {WinsockEntries,
                   Cli(L"/check", "*\r\nпоставщик Winsock: C:\\windows\\system32\\e2e-gone.dll: файла нет (сброс: "
                                  "netsh winsock reset)\r\nпоставщик Winsock: *\\recorder.exe: не из системной "
                                  "папки, подписи в файле нет (сброс: netsh winsock reset)\r\n*other=winsock "
                                  "changed=no exit=0\r\n")},
         .system = true},
        {.name = "a proxy here: after the check one message lists it and asks; Yes switches it off, its .reg kept",
         .hosts = Stock,
         .steps = ProxyHere + Steps{Start, Answer(ProxyFound, IDYES), Answer(ProxyOff, IDOK),
                                    Answer(Unmodified, IDYES), MainShown, CloseMain, ProxySwitchedOff},
         .after = RegKept, .system = true},
        {.name = "cli: /allow: a list others may change refused; pinned, a company's entries are no finding, a "
                 "foreign one is; /repair keeps the company's, twice (the second changes nothing)",
         .hosts = Stock + CompanyLines,
         .steps = {ListWritten,
                   Cli(L"/check /allow:%W%\\lists\\allow.txt", "*ошибка 5: *allow.txt этот список могут *exit=5\r\n"),
                   Cli(L"/check " + ListPinned, "*они не в счёт: 2\r\n*hosts=clean *exit=0\r\n"),
                   [](Run& r) { WriteFileBytes(r.hosts, *(r.before = Stock + CompanyLines + "0.0.0.0 vk.com\r\n")); },
                   Cli(L"/check " + ListPinned, "*  0.0.0.0 vk.com\r\n*hosts=modified *exit=1\r\n"),
                   Cli(L"/repair " + ListPinned, "*записями из списка /allow:\r\n*changed=yes exit=0\r\n"),
                   Cli(L"/repair " + ListPinned, "*changed=no exit=0\r\n")}, .after = StockedAndListed | BackedUp},
        // The share would be reached through the hosts file under repair: malware's server, not the company's.
        {.name = "cli: /repair /allow: on a server that hosts maps: refused before anything changes, the line named",
         .hosts = Infected + "6.6.6.6 e2e-share.corp # malware's\r\n",
         .steps = {Cli(L"/repair /allow:\\\\e2e-share\\it$\\allow.txt",
                       "*ошибка 65: *строкой \"6.6.6.6 e2e-share.corp # malware's\"*"
                       "RESULT hosts=unchecked redirected=unchecked other=unchecked changed=no exit=65\r\n")},
         .exitCode = 65, .system = true},
        {.name = "cli: /repair /eventlog of a modified file: an entry of the source Hostovik, its ID for a repair, "
                 "the source registered with the program's own file",
         .hosts = Infected, .steps = {NoEventSource, CliTraced(L"/repair /eventlog", "*\r\n" + EventResult + "\r\n",
             "*RegisterEventSourceW *L\"Hostovik\"*ReportEventW (*,0x0004,0x0000,0x000003ea,*L\"" + EventResult +
             "\\r\\nentries=6 findings=0\"\n*"), EventSourceRegistered},
         .after = Stocked | BackedUp, .group = "eventlog"},
        // A message would keep it from its end, which waits for nobody.
        {"no console: a mistyped switch shows no window and ends with 87", Stock,
         {[](Run& r) { StartWith(r, L"/fix", options.exe, 0, false); }, EndsUnseen}, Unchanged, "", 87},
    };
    // clang-format on
    return cases;
}

// ---- Running the cases ----

std::string Stamp() {  // local time as the copies of the hosts file are named
    char date[16], time[16];
    GetDateFormatA(LOCALE_INVARIANT, 0, nullptr, "yyyyMMdd", date, 16);
    GetTimeFormatA(LOCALE_INVARIANT, 0, nullptr, "HHmmss", time, 16);
    return std::string(date) + "-" + time;
}

// The hosts file as expected, with none of the attributes that protect it once replaced, and
// beside it nothing of the program's but the expected copy of the old bytes, named
// hosts.yyyyMMdd-HHmmss.bak with a time within the run, and the expected .reg named so.
void CheckSandbox(Run& r, const std::string& from, const std::string& to) {
    const bool replaced = r.c.after & (Stocked | StockedAndListed);
    const std::string expected = r.c.after & StockedAndListed ? Stock + CompanyLines : Stock;
    if (replaced ? ReadFileBytes(r.hosts) != expected || (GetFileAttributesW(r.hosts.c_str()) & Protection)
                 : ReadFileBytes(r.hosts) != r.before || GetFileAttributesW(r.hosts.c_str()) != r.attributes)
        Fail(replaced ? "the hosts file is not the one expected, or still protected"
                      : "the hosts file's bytes or attributes changed");
    int copies = 0, regs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(r.etc)) {
        const std::string name = Narrow(entry.path().filename().wstring());
        if (name == "hosts" || (r.c.system && !name.starts_with("hosts"))) continue;  // Wine's own files
        const bool reg = (r.c.after & RegKept) && Matches(name, "hosts.*.reg");  // its bytes are the case's to check
        if (name.size() != 25 || !(reg || Matches(name, "hosts.*.bak")) || name.substr(6, 15) < from ||
            name.substr(6, 15) > to)
            Fail("unexpected file beside the hosts file: " + name);
        if (reg && ++regs) continue;
        if (ReadFileBytes(entry.path()) != r.before) Fail("the copy " + name + " differs from the old file");
        ++copies;
    }
    if (copies != (r.c.after & BackedUp ? 1 : 0) || regs != (r.c.after & RegKept ? 1 : 0))
        Fail(std::to_string(copies) + " copies of the old file, " + std::to_string(regs) + " .reg files");
}

// Runs one case; returns what the stand-ins recorded.
std::string RunCase(const Case& c, size_t index) {
    Run r{c, c.system ? SystemFolder(GetSystemWindowsDirectoryW)
                      : options.root + L"\\case" + std::to_wstring(index) + L"\\WINDOWS"};
    std::filesystem::create_directories(r.etc);
    // The prefix's own hosts file, and the copies a case makes of it, are put back afterwards.
    struct PutBack {
        Run& r;
        std::optional<std::string> saved = r.c.system ? ReadFileBytes(r.hosts) : std::nullopt;
        ~PutBack() try {
            if (!r.c.system) return;
            r.program.reset();  // it may still hold the file when the case failed
            r.Restore();        // so may a holder the case started
            for (const auto& entry : std::filesystem::directory_iterator(r.etc))
                if (entry.path().extension() == L".bak" || entry.path().extension() == L".reg")
                    std::filesystem::remove(entry.path());
            SetFileAttributesW(r.hosts.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (saved) WriteFileBytes(r.hosts, *saved);
        } catch (const std::exception& e) {
            std::printf("FAIL  the prefix's own hosts file could not be put back: %s\n", e.what());
        }
    } putBack{r};
    if (c.hosts) WriteFileBytes(r.hosts, *c.hosts);
    else DeleteFileW(r.hosts.c_str());
    r.before = c.hosts;
    DeleteFileW(options.record.c_str());
    // The screen's DPI, which each new process of the prefix reads.
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &c.dpi, sizeof c.dpi);
    const std::string from = Stamp();
    const DWORD code = r.Play();
    if (code != c.exitCode) Fail("exit code " + std::to_string(code));
    r.Restore();
    CheckSandbox(r, from, Stamp());

    std::string record;  // the stand-ins run detached: what they record is waited for
    Within(15, [&] { return Matches(record = ReadFileBytes(options.record).value_or(""), c.record); });
    if (!Matches(record, c.record)) Fail("the stand-ins recorded " + (record.empty() ? "nothing" : '"' + record + '"'));
    return record;
}

// The cases of `group` whose name holds one of `only` (every case when it is empty); returns the number failed.
int RunCases(const std::vector<std::string>& only, const std::string& group) {
    options.root = Env(L"E2E_SANDBOX");
    options.record = Env(L"E2E_RECORD");
    options.bin = options.root + L"\\bin";
    options.decoy = options.root + L"\\decoy";
    if (options.root.empty() || options.record.empty()) Fail("E2E_SANDBOX or E2E_RECORD is not set");
    // The stand-ins: the recorder under the name of each program the program starts. route.exe
    // in the system folder is the one to run; in the current folder (the sandbox), first on PATH
    // and beside the program (where scripts/e2e.sh puts one) it must not. Wine takes the system
    // folder's ipconfig.exe only with ipconfig.exe=n in WINEDLLOVERRIDES, as scripts/e2e.sh sets.
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::filesystem::path recorder = std::filesystem::path(self).replace_filename(L"recorder.exe");
    std::filesystem::create_directories(options.bin);
    std::filesystem::create_directories(options.root + L"\\msinfo");
    SetCurrentDirectoryW(options.root.c_str());
    for (const std::wstring& copy : {options.bin + L"\\recorder.exe", options.bin + L"\\route.exe",
             options.bin + L"\\browser.exe", options.bin + L"\\sysinfo.exe", options.root + L"\\msinfo\\MSINFO32.EXE",
             options.root + L"\\route.exe", SystemFolder() + L"\\route.exe", SystemFolder() + L"\\ipconfig.exe"})
        if (!CopyFileW(recorder.c_str(), copy.c_str(), FALSE)) Fail("cannot copy the recorder to " + Narrow(copy));
    SetEnvironmentVariableW(L"PATH", (options.bin + L";" + Env(L"PATH")).c_str());
    // A decoy Windows folder in windir, as code with the user's rights can set it: the program
    // must not take it for the Windows folder.
    const std::wstring decoyHosts = options.decoy + L"\\System32\\drivers\\etc\\hosts";
    std::filesystem::create_directories(std::filesystem::path(decoyHosts).parent_path());
    WriteFileBytes(decoyHosts, Infected);
    SetEnvironmentVariableW(L"windir", options.decoy.c_str());

    int passed = 0, failed = 0;
    const std::vector<Case>& cases = Cases();
    for (size_t i = 0; i < cases.size(); ++i) {
        if (cases[i].group != group ||
            (!only.empty() && std::none_of(only.begin(), only.end(),
                                  [&](const std::string& text) { return Matches(cases[i].name, "*" + text + "*"); })))
            continue;
        const double start = Seconds();
        std::string failure, recorded;
        try {
            recorded = RunCase(cases[i], i);
        } catch (const std::exception& e) {
            failure = e.what();
        }
        std::printf("%s  %s (%.1f s)%s%s\n", failure.empty() ? "PASS" : "FAIL", cases[i].name, Seconds() - start,
            failure.empty() ? "" : ": ", failure.c_str());
        if (!recorded.empty()) std::printf("      recorded: %s", recorded.c_str());
        std::fflush(stdout);
        ++(failure.empty() ? passed : failed);
    }
    std::printf("driver: %d passed, %d failed\n", passed, failed);
    return failed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    SetProcessDPIAware();  // window places as the program sees them, whatever DPI it was started with
    FreeConsole();         // the programs started here have no console to attach to, as under a start-up script
    std::vector<std::string> only;
    for (int i = 1; i + 1 < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--exe") options.exe = argv[++i];
        else if (arg == L"--only") only.push_back(Narrow(argv[++i]));
        else if (arg == L"--group") options.group = argv[++i];
    }
    options.cli = std::filesystem::path(options.exe).replace_filename(L"hostovik-cli.exe").wstring();
    options.screens = Env(L"E2E_SCREENS");
    options.slow = std::max(1.0, _wtof(Env(L"E2E_SLOWDOWN").c_str()));
    try {
        return RunCases(only, Narrow(options.group)) ? 1 : 0;
    } catch (const std::exception& e) {
        std::printf("FAIL  %s\n", e.what());
        return 1;
    }
}
