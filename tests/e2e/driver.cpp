// End-to-end tests of the real hostovik.exe under Wine. Each case makes a sandbox Windows
// folder, starts the program on it (windir and PATH in its environment block), answers its
// windows as a user would, and checks what it showed, what it left in the sandbox and what the
// stand-ins it started recorded. Run by scripts/e2e.sh. Usage:
//   hostovik-e2e.exe [--exe PATH] [--only TEXT] [--unprivileged]
// --unprivileged runs the cases that need a user whom the file system can refuse.
#include "e2e.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace {

// ---- What the program must show ----

const std::wstring App = L"Хостовик";
const std::wstring Caption = L"Хостовик сайтов| by *";  // the alias is the author's choice
const std::wstring Detection = L"Эвристическое обнаружение | Хостовик сайтов| by *";
const std::wstring ModifiedWarning = L"Внимание! Возможно был изменен файл ''hosts'', заменить его на оригинальный?";
const std::wstring UnmodifiedQuestion = L"Файл ''hosts'' НЕ был изменен, продолжить загрузку программы?";
const std::wstring Method1Warning =
    L"Внимание! После нажатия на кнопку ''ОК'' Сайты будут разблокированы. Если сайты не разблокировались, то "
    L"попробуйте перезагрузить Ваш компьютер, если не помогло, попробуйте остальные 2 способа и помните данная "
    L"программа НЕ гарантирует разблокировки компьютера!";
const std::wstring Method1Done =
    L"Сайты были разблокированы, необходимо произвести перезагрузку компьютера, если перезагрузка не помогла, "
    L"попробуйте ''Способ №2''. После нажатия на кнопку ''OK'', программа закроется!";
const std::wstring Method2Title = L"Предупреждение!";
const std::wstring Method2Warning =
    L"Внимание! Данный способ лучше использовать, ТОЛЬКО в том случае, если 1-й способ не помог!";
const std::wstring Method2Question =
    L"Сайты были разблокированы, необходимо произвести перезагрузку компьютера, если перезагрузка не помогла, "
    L"попробуйте способ №3! Произвести перезагрузку компьтера сейчас?";
const std::wstring Method3Question =
    L"Внимание! После данного способа, Вам придется снова включить Ваше соединения (возможно потребуется "
    L"перезагрузка компьютера)!Продолжить?";
const std::wstring Description =
    L"Хостовик сайтов поможет Вам разблокировать сайты, которые были заблокированы вирусами, или интернет "
    L"мошениками.";

const wchar_t* const StockLines[19] = {
    L"# (C) Корпорация Майкрософт (Microsoft Corp.), 1993-1999",
    L"#",
    L"# Это образец файла HOSTS, используемый Microsoft TCP/IP для Windows.",
    L"#",
    L"# Этот файл содержит сопоставления IP-адресов именам узлов.",
    L"# Каждый элемент должен располагаться в отдельной строке. IP-адрес должен",
    L"# находиться в первом столбце, за ним должно следовать соответствующее имя.",
    L"# IP-адрес и имя узла должны разделяться хотя бы одним пробелом.",
    L"#",
    L"# Кроме того, в некоторых строках могут быть вставлены комментарии ",
    L"# (такие, как эта строка), они должны следовать за именем узла и отделяться",
    L"# от него символом '#'.",
    L"#",
    L"# Например:",
    L"#",
    L"#      102.54.94.97     rhino.acme.com          # исходный сервер",
    L"#       38.25.63.10     x.acme.com              # узел клиента x",
    L"",
    L"127.0.0.1       localhost",
};

// ---- Hosts files to start from ----

std::string Stock() {
    std::string bytes;
    for (const wchar_t* line : StockLines) bytes += To1251(line) + "\r\n";
    return bytes;
}
std::string Infected() {  // what malware leaves: six blocking entries more, 25 line feeds
    std::string bytes = Stock();
    for (const char* host : {"vk.com", "www.vk.com", "ok.ru", "www.ok.ru", "mail.ru", "www.mail.ru"})
        bytes += std::string("127.0.0.1 ") + host + "\r\n";
    return bytes;
}
std::string Empty() { return {}; }
std::string Blocklist(int lines) {  // LF line ends, as published blocklists have
    std::string bytes = "# blocklist\n";
    char line[64];
    for (int i = 1; i < lines; ++i) bytes.append(line, std::snprintf(line, sizeof line, "0.0.0.0 ad%06d.example.net\n", i));
    return bytes;
}
std::string LfOnly() { return Blocklist(40); }
std::string Large() { return Blocklist(150000); }
std::string OneLongLine() { return std::string(10'000'000, 'x'); }

// The view shows every line followed by CR LF. A line ends at CR or CR LF; a lone LF stays
// inside its line but is shown as a line break.
std::wstring ViewOf(const std::string& bytes) {
    std::string text;
    bool open = false;  // a line has begun and not ended
    for (size_t i = 0; i < bytes.size(); ++i) {
        open = bytes[i] != '\r';
        if (bytes[i] != '\r' && bytes[i] != '\n') {
            text += bytes[i];
            continue;
        }
        text += "\r\n";
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    }
    return Wide(open ? text + "\r\n" : text, 1251);
}

// ---- A case and its run ----

struct Run;
using Step = std::function<void(Run&)>;
enum class After { Stock, Unchanged };
constexpr DWORD AnyError = ~0u;

struct Case {
    const char* name;
    std::string (*hosts)();  // nullptr: no hosts file
    std::vector<Step> prepare, steps;
    DWORD exitCode = 0;  // or AnyError
    After after = After::Unchanged;
    bool backup = false;                // a copy of the replaced bytes is left beside the file
    std::vector<std::wstring> records;  // what the stand-ins record, in order
    int dpi = 96;
    double timeout = 20;
    bool unprivileged = false;
};

struct {
    std::wstring exe, root, bin, recorder, record, screens;
} options;

[[noreturn]] void Fail(const std::string& why) { throw std::runtime_error(why); }

std::string Quote(std::wstring_view text) {
    std::string quoted = "\"";
    quoted += Utf8(text);
    return quoted += '"';
}

struct Run {
    const Case& c;
    std::wstring dir, etc, hosts;
    std::optional<std::string> before;
    std::unique_ptr<Program> program;
    HWND main = nullptr, about = nullptr;
    std::vector<std::function<void()>> undo;  // puts back what the case changed outside its sandbox

    explicit Run(const Case& c) : c(c) {}
    ~Run() {
        program.reset();
        Restore();
    }
    void Restore() {
        for (; !undo.empty(); undo.pop_back()) undo.back()();
    }
    int Px(int twips) const { return MulDiv(twips, c.dpi, 1440); }
    void Shot(HWND hwnd, const wchar_t* name) const {
        if (name && !options.screens.empty() && c.dpi == 96)
            SaveBmp(ScreenRect(hwnd), options.screens + L"\\" + name + L".bmp");
    }
    // Waits for `done`; fails with what is shown instead.
    Scene Await(bool (*done)(const Scene&), const std::string& expected) {
        const Scene s = program->WaitFor([&](const Scene& s) { return s.ended || done(s); }, c.timeout);
        if (done(s)) return s;
        std::string shown;
        for (HWND box : s.boxes) shown += " the message " + Quote(TextOf(GetDlgItem(box, 0xFFFF))) + ";";
        if (s.main) shown += " the main window;";
        if (!s.dialogs.empty()) shown += " " + std::to_string(s.dialogs.size()) + " dialog(s);";
        Fail("expected " + expected + "; " +
             (s.ended ? "the program ended with exit code " + std::to_string(program->ExitCode())
                      : "shown:" + (shown.empty() ? std::string(" nothing") : shown)));
    }
};

// '*' stands for any text.
bool Matches(std::wstring_view text, std::wstring_view pattern) {
    const size_t star = pattern.find(L'*');
    if (star == pattern.npos) return text == pattern;
    if (text.substr(0, star) != pattern.substr(0, star)) return false;
    for (size_t at = star; at <= text.size(); ++at)
        if (Matches(text.substr(at), pattern.substr(star + 1))) return true;
    return false;
}

std::vector<Step> operator+(std::vector<Step> a, const std::vector<Step>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// ---- Steps: messages ----

// A message box with this title, text, buttons and icon, answered with `answer`.
Step MsgBox(std::wstring title, std::wstring text, std::vector<int> buttons, Icon icon, int answer,
            const wchar_t* shot = nullptr) {
    return [=](Run& r) {
        const Box box = ReadBox(r.Await([](const Scene& s) { return !s.boxes.empty(); }, "the message " + Quote(text))
                                    .boxes.front());
        r.Shot(box.hwnd, shot);
        if (!Matches(box.text, text)) Fail("expected the message " + Quote(text) + ", got " + Quote(box.text));
        if (!Matches(box.title, title)) Fail("message " + Quote(text) + ": title " + Quote(box.title));
        if (box.buttons != buttons) Fail("message " + Quote(text) + ": other buttons");
        if (box.icon != icon) Fail("message " + Quote(text) + ": icon " + IconName(box.icon) + ", not " + IconName(icon));
        PostMessageW(GetDlgItem(box.hwnd, answer), BM_CLICK, 0, 0);
        for (const double until = Seconds() + 5; IsWindow(box.hwnd) && IsWindowVisible(box.hwnd); Sleep(5))
            if (Seconds() > until) Fail("message " + Quote(text) + " stayed after the answer");
    };
}
Step Warning(int answer, const wchar_t* shot = nullptr) {
    return MsgBox(Detection, ModifiedWarning, {IDYES, IDNO}, Icon::Stop, answer, shot);
}
Step Unmodified(int answer, const wchar_t* shot = nullptr) {
    return MsgBox(Detection, UnmodifiedQuestion, {IDYES, IDNO}, Icon::Info, answer, shot);
}
Step ErrorBox(const wchar_t* text) { return MsgBox(App, text, {IDOK}, Icon::Stop, IDOK, L"error-message"); }
Step Method2(int answer, const wchar_t* shot = nullptr) {
    return MsgBox(Caption, Method2Question, {IDYES, IDNO}, Icon::Info, answer, shot);
}
Step Method3(int answer, const wchar_t* shot = nullptr) {
    return MsgBox(Caption, Method3Question, {IDYES, IDNO}, Icon::Info, answer, shot);
}
const Step Method2Warned = MsgBox(Method2Title, Method2Warning, {IDOK}, Icon::Info, IDOK, L"method2-warning");

const std::vector<Step> Method1 = {
    MsgBox(Caption, Method1Warning, {IDOK}, Icon::Info, IDOK, L"method1-warning"),
    [](Run& r) {  // the new content replaces the file only when the second message is dismissed
        r.Await([](const Scene& s) { return !s.boxes.empty(); }, "method 1's second message");
        if (ReadFileBytes(r.hosts) != r.before) Fail("the hosts file changed before the message was dismissed");
    },
    MsgBox(Caption, Method1Done, {IDOK}, Icon::Info, IDOK, L"method1-done"),
};

// The program ends without its main window ever having been shown.
void EndsUnseen(Run& r) {
    r.Await([](const Scene& s) { return s.ended; }, "the end of the program");
    if (r.program->MainEverShown()) Fail("the main window was shown");
}

// ---- Steps: the main window ----

enum ControlId { Command1 = 101, Text1, Label1, Command2, Command3, Command4, Label3, Label2 };

Step MainShown(const wchar_t* shot = nullptr) {
    return [=](Run& r) {
        r.main = r.Await([](const Scene& s) { return s.main && s.boxes.empty(); }, "the main window").main;
        if (!Matches(TextOf(r.main), Caption)) Fail("main window title " + Quote(TextOf(r.main)));
        if (shot) Sleep(300);  // let it finish painting
        r.Shot(r.main, shot);
    };
}

HWND MainControl(Run& r, int id) {
    const HWND control = GetDlgItem(r.main, id);
    if (!control) Fail("the main window has no control " + std::to_string(id));
    return control;
}

Step Click(int id) {
    return [=](Run& r) { PostMessageW(MainControl(r, id), BM_CLICK, 0, 0); };
}
Step ClickLabel(int id) {  // a link label answers the mouse button
    return [=](Run& r) {
        PostMessageW(MainControl(r, id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        PostMessageW(MainControl(r, id), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    };
}
void CloseMain(Run& r) { PostMessageW(r.main, WM_SYSCOMMAND, SC_CLOSE, 0); }

Step ViewHolds(std::string (*bytes)()) {
    return [=](Run& r) {
        const std::wstring expected = bytes ? ViewOf(bytes()) : L"";
        const HWND view = MainControl(r, Text1);
        DWORD_PTR length = 0;
        SendMessageTimeoutW(view, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 10000, &length);
        if (length != expected.size())
            Fail("the view holds " + std::to_string(length) + " characters, not " + std::to_string(expected.size()));
        if (length < 100000 && TextOf(view) != expected) Fail("the view's text differs from the file");
    };
}

// The program stays as it is, running and answering, for `seconds`.
Step Idle(double seconds) {
    return [=](Run& r) {
        for (const double until = Seconds() + seconds; Seconds() < until; Sleep(50)) {
            const Scene s = r.program->Look();
            if (s.ended || !s.main || !s.boxes.empty() || s.dialogs.empty() != !r.about)
                Fail("the program did not stay as it was");
        }
        DWORD_PTR ignored;
        if (!SendMessageTimeoutW(r.main, WM_NULL, 0, 0, SMTO_NORMAL, 3000, &ignored)) Fail("the main window does not answer");
    };
}

// ---- Layout ----

struct Control {
    int id;
    const wchar_t* cls;
    DWORD style;  // bits that must be set; for buttons and statics also their kind
    int left, top, width, height;
    const wchar_t* text;  // nullptr: not checked
};
constexpr DWORD Picture = BS_ICON | WS_TABSTOP;

// In tab order, as the table of the main window gives them; Text1 ends at the client area's edge.
const std::vector<Control> MainControls = {
    {Command1, L"Button", Picture, 120, 120, 495, 495, L"Разблокировать способ №1"},
    {Text1, L"Edit", ES_MULTILINE | ES_READONLY | WS_VSCROLL, 0, 1080, 6015, 5055, nullptr},
    {Label1, L"Static", SS_LEFT, 120, 840, 495, 255, L"Файл"},
    {Command2, L"Button", Picture, 840, 120, 495, 495, L"Разблокировать способ №2"},
    {Command3, L"Button", Picture, 2400, 120, 495, 615, L"О программе..."},
    {Command4, L"Button", Picture, 1560, 120, 495, 495, L"Разблокировать способ №3"},
    {Label3, L"Static", SS_NOTIFY, 3000, 120, 3015, 375, L"Рекламное место сдается..."},
    {Label2, L"Static", SS_NOTIFY, 600, 840, 495, 255, L"hosts:"},
};
const std::vector<std::pair<int, std::wstring>> MainToolTips = {
    {Command1, L"Разблокировать способ №1"}, {Command2, L"Разблокировать способ №2"}, {Command3, L"О программе..."},
    {Command4, L"Разблокировать способ №3"}, {Label2, L"Посмотреть информацию в интернете."}};

enum AboutId { CmdOK = IDOK, PicIcon = 201, CmdSysInfo, LblDescription, LblDisclaimer, LblTitle, LblVersion, Credit };
const std::vector<Control> AboutControls = {
    {CmdOK, L"Button", BS_DEFPUSHBUTTON | WS_TABSTOP, 4245, 2625, 1260, 345, L"OK"},
    {PicIcon, L"Static", SS_ICON, 240, 240, 540, 540, nullptr},
    {CmdSysInfo, L"Button", WS_TABSTOP, 4260, 3075, 1245, 705, L"&Информация о системе..."},
    {LblDescription, L"Static", SS_LEFT, 1050, 1125, 3885, 1170, Description.c_str()},
    {LblDisclaimer, L"Static", SS_LEFT, 255, 2625, 3870, 1665, L""},
    {LblTitle, L"Static", SS_LEFT, 1050, 240, 3885, 480, L"Хостовик"},
    {LblVersion, L"Static", SS_LEFT, 1050, 780, 3885, 225, L"Версия 1.0.6"},
    {Credit, L"Static", SS_LEFT, 240, 4440, 4575, 255, nullptr},
};

bool Near(int actual, int expected) { return std::abs(actual - expected) <= 1; }

// A fixed frame with a close box only; its client area, the controls in tab order, their
// classes, styles, places (1 pixel of tolerance) and texts.
void CheckLayout(Run& r, HWND w, const char* what, int width, int height, const std::vector<Control>& table) {
    const LONG_PTR style = GetWindowLongPtrW(w, GWL_STYLE);
    if (!(style & WS_SYSMENU) || !(style & WS_CAPTION) || (style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)))
        Fail(std::string(what) + ": not a fixed frame with a close box only");
    RECT client;
    GetClientRect(w, &client);
    if (!Near(client.right, r.Px(width)) || !Near(client.bottom, r.Px(height)))
        Fail(std::string(what) + ": client area " + std::to_string(client.right) + "x" + std::to_string(client.bottom));
    std::vector<int> order, expected;
    for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) order.push_back(GetDlgCtrlID(c));
    for (const Control& c : table) expected.push_back(c.id);
    if (order != expected) Fail(std::string(what) + ": the controls are not in tab order");
    for (const Control& c : table) {
        const HWND h = GetDlgItem(w, c.id);
        const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE));
        const DWORD kind = c.cls[0] == L'B' ? BS_TYPEMASK : c.cls[0] == L'S' ? SS_TYPEMASK : 0;
        RECT rc = ScreenRect(h);
        MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&rc), 2);
        char where[96];
        std::snprintf(where, sizeof where, " at %ld,%ld size %ldx%ld", rc.left, rc.top, rc.right - rc.left,
                      rc.bottom - rc.top);
        const std::string name = std::string(what) + ": control " + std::to_string(c.id);
        if (lstrcmpiW(ClassOf(h).c_str(), c.cls)) Fail(name + " is a " + Utf8(ClassOf(h)));
        if ((style & c.style) != c.style || (style & kind) != (c.style & kind) || !IsWindowVisible(h))
            Fail(name + ": style " + std::to_string(style));
        if (!Near(rc.left, r.Px(c.left)) || !Near(rc.top, r.Px(c.top)) || !Near(rc.right - rc.left, r.Px(c.width)) ||
            !Near(rc.bottom - rc.top, r.Px(c.height)))
            Fail(name + where);
        if (c.text && TextOf(h) != c.text) Fail(name + ": text " + Quote(TextOf(h)));
    }
}

// The tools of the main window's tooltip control, by control id. The records are read
// through memory in the program's own process.
std::vector<std::pair<int, std::wstring>> ToolTips(Run& r) {
    HWND tips = nullptr;
    for (HWND w : WindowsOf(GetProcessId(r.program->Process()), false))
        if (ClassOf(w) == TOOLTIPS_CLASSW && GetWindow(w, GW_OWNER) == r.main) tips = w;
    if (!tips) Fail("the main window has no tooltip control");
    const HANDLE process = r.program->Process();
    TTTOOLINFOW tool{};
    wchar_t text[512];
    auto* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, sizeof tool + sizeof text, MEM_COMMIT, PAGE_READWRITE));
    std::vector<std::pair<int, std::wstring>> tools;
    for (LRESULT i = 0; remote && i < SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0); ++i) {
        tool = {};
        tool.cbSize = sizeof tool;
        tool.lpszText = reinterpret_cast<wchar_t*>(remote + sizeof tool);
        std::fill(std::begin(text), std::end(text), L'\0');
        WriteProcessMemory(process, remote, &tool, sizeof tool, nullptr);
        WriteProcessMemory(process, remote + sizeof tool, text, sizeof text, nullptr);
        SendMessageW(tips, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process, remote, &tool, sizeof tool, nullptr);
        ReadProcessMemory(process, remote + sizeof tool, text, sizeof text - sizeof(wchar_t), nullptr);
        tools.emplace_back(tool.uFlags & TTF_IDISHWND ? GetDlgCtrlID(reinterpret_cast<HWND>(tool.uId)) : -1, text);
    }
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    std::sort(tools.begin(), tools.end());
    return tools;
}

void MainLayout(Run& r) {
    CheckLayout(r, r.main, "main window", 6015, 6195, MainControls);
    if (ToolTips(r) != MainToolTips) Fail("the tool tips differ");
    for (int id : {Label2, Label3}) {  // the link labels are drawn in blue
        const std::vector<DWORD> pixels = CaptureScreen(ScreenRect(MainControl(r, id)));
        if (std::find(pixels.begin(), pixels.end(), 0x0000FFu) == pixels.end())
            Fail("link label " + std::to_string(id) + " is not blue");
    }
}

// ---- Steps: the About dialog ----

Step OpenAbout(const wchar_t* shot = nullptr) {
    return [=](Run& r) {
        PostMessageW(MainControl(r, Command3), BM_CLICK, 0, 0);
        r.about = r.Await([](const Scene& s) { return s.main && s.dialogs.size() == 1; }, "the About dialog")
                      .dialogs.front();
        if (TextOf(r.about) != L"О программе Хостовик") Fail("About caption " + Quote(TextOf(r.about)));
        CheckLayout(r, r.about, "About dialog", 5730, 4725, AboutControls);
        POINT corner{0, 0};  // its client area's place on the screen
        ClientToScreen(r.about, &corner);
        if (!Near(corner.x, r.Px(2340)) || !Near(corner.y, r.Px(1935))) Fail("the About dialog is not at its place");
        if (GetWindow(r.about, GW_OWNER) == r.main || (GetWindowLongPtrW(r.about, GWL_EXSTYLE) & WS_EX_APPWINDOW))
            Fail("the About dialog is owned by the main window or has a task-bar button");
        if (!IsWindowEnabled(r.main)) Fail("the About dialog blocks the main window");
        if (shot) Sleep(300);
        r.Shot(r.about, shot);
    };
}

// A second click on the About button brings the open dialog forward, nothing more.
void AboutAgain(Run& r) {
    PostMessageW(MainControl(r, Command3), BM_CLICK, 0, 0);
    Sleep(500);
    if (r.program->WaitFor([](const Scene&) { return true; }, 5).dialogs != std::vector<HWND>{r.about})
        Fail("a second click on the About button changed the dialogs");
}

enum class Closing { OK, Esc, CloseBox };
Step CloseAbout(Closing how) {
    return [=](Run& r) {
        const HWND ok = GetDlgItem(r.about, CmdOK);
        if (how == Closing::OK) PostMessageW(ok, BM_CLICK, 0, 0);
        if (how == Closing::Esc) PostMessageW(ok, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        if (how == Closing::CloseBox) PostMessageW(r.about, WM_SYSCOMMAND, SC_CLOSE, 0);
        r.Await([](const Scene& s) { return s.main && s.boxes.empty() && s.dialogs.empty(); },
                "the main window alone");
        r.about = nullptr;
    };
}

void SysInfo(Run& r) { PostMessageW(GetDlgItem(r.about, CmdSysInfo), BM_CLICK, 0, 0); }

// ---- Preparations, undone after the case ----

// Sets a registry value (none: deletes it); the old one, or its absence, comes back afterwards.
void SetValue(Run& r, HKEY root, const std::wstring& key, const std::wstring& name, DWORD type,
              std::optional<std::string> data) {
    DWORD oldType = 0, size = 0;
    const bool had = !RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &oldType, nullptr, &size);
    std::string old(size, '\0');
    if (had) RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &oldType, old.data(), &size);
    const auto put = [=](bool present, DWORD t, const std::string& bytes) {
        if (present) RegSetKeyValueW(root, key.c_str(), name.c_str(), t, bytes.data(), static_cast<DWORD>(bytes.size()));
        else RegDeleteKeyValueW(root, key.c_str(), name.c_str());
    };
    put(data.has_value(), type, data.value_or(""));
    r.undo.push_back([=] { put(had, oldType, old); });
}
std::string Sz(const std::wstring& s) { return {reinterpret_cast<const char*>(s.c_str()), (s.size() + 1) * 2}; }

Step ToolPath(bool set) {  // the first place the About dialog looks for the system information tool
    return [=](Run& r) {
        SetValue(r, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", L"PATH", REG_SZ,
                 set ? std::optional(Sz(options.bin + L"\\sysinfo.exe")) : std::nullopt);
    };
}
Step ToolFolder(bool set) {  // the second: a folder holding MSINFO32.EXE
    return [=](Run& r) {
        SetValue(r, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools Location", L"MSINFO", REG_SZ,
                 set ? std::optional(Sz(options.root + L"\\msinfo")) : std::nullopt);
    };
}
void BrowserStandIn(Run& r) {
    SetValue(r, HKEY_LOCAL_MACHINE, L"Software\\Classes\\http\\shell\\open\\command", L"", REG_SZ,
             Sz(L"\"" + options.bin + L"\\browser.exe\" \"%1\""));
}

// Wine's restart helper, which ExitWindowsEx starts, replaced by the recorder: the real one
// would end every process of the Wine session, this driver included.
void WinebootStandIn(Run& r) {
    wchar_t overrides[512] = {}, system[MAX_PATH];
    GetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides, 512);
    if (!wcsstr(overrides, L"wineboot.exe=n")) Fail("needs WINEDLLOVERRIDES with wineboot.exe=n, as scripts/e2e.sh sets");
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring boot = std::wstring(system) + L"\\wineboot.exe", saved = r.dir + L"\\wineboot.exe";
    if (!CopyFileW(boot.c_str(), saved.c_str(), FALSE) || !CopyFileW(options.recorder.c_str(), boot.c_str(), FALSE))
        Fail("cannot replace " + Utf8(boot));
    r.undo.push_back([=] { CopyFileW(saved.c_str(), boot.c_str(), FALSE); });
}

// Starts a Unix command on some files (Wine runs Unix programs too, but cannot tell when they end).
void Unix(const std::wstring& command, std::initializer_list<std::wstring> paths) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    std::wstring line = L"Z:\\bin\\" + command;
    for (const std::wstring& path : paths) {
        char* unixPath = toUnix ? toUnix(path.c_str()) : nullptr;
        if (!unixPath) Fail("not under Wine");
        line += L" " + Wide(unixPath);
        HeapFree(GetProcessHeap(), 0, unixPath);
    }
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        Fail("cannot start " + Utf8(line));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

// A read-only hosts file; with `folderToo`, in a folder the user may not write to. Wine
// ignores the read-only attribute of folders, so the folder's Unix write permission goes.
Step ReadOnly(bool folderToo) {
    return [=](Run& r) {
        SetFileAttributesW(r.hosts.c_str(), FILE_ATTRIBUTE_READONLY);
        const HANDLE h = CreateFileW(r.hosts.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
            Fail("the read-only file stays writable: run as an unprivileged user");
        }
        if (!folderToo) return;
        // chmod runs in the background; it is done with the folder when it is done with the mark after it.
        const std::wstring mark = r.dir + L"\\chmod-done";
        WriteFileBytes(mark, "");
        Unix(L"chmod 555", {r.etc, mark});
        r.undo.push_back([etc = r.etc] { Unix(L"chmod 755", {etc}); });
        for (const double until = Seconds() + 10; !(GetFileAttributesW(mark.c_str()) & FILE_ATTRIBUTE_READONLY); Sleep(20))
            if (Seconds() > until) Fail("chmod did not run");
        if (CreateDirectoryW((r.etc + L"\\probe").c_str(), nullptr)) Fail("the etc folder stays writable");
    };
}

// Another process holds the hosts file open without sharing.
void Locked(Run& r) {
    const HANDLE h = CreateFileW(r.hosts.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) Fail("cannot lock the hosts file");
    r.undo.push_back([=] { CloseHandle(h); });
}

void HostsIsFolder(Run& r) { CreateDirectoryW(r.hosts.c_str(), nullptr); }

// ---- The cases ----

const std::vector<Case>& Cases() {
    using S = std::vector<Step>;
    static const std::vector<Case> cases = {
        // The start-up check and method 1
        {"stock file, Yes: the main window shows it", Stock, {},
         {Unmodified(IDYES, L"unmodified-question"), MainShown(), ViewHolds(Stock), CloseMain}},
        {"stock file, No: ends before the window shows", Stock, {}, {Unmodified(IDNO), EndsUnseen}},
        {"modified file, No: the main window shows it", Infected, {},
         {Warning(IDNO, L"modified-warning"), MainShown(L"main-window"), ViewHolds(Infected), CloseMain}},
        {"modified file, Yes: method 1 writes the stock file", Infected, {}, S{Warning(IDYES)} + Method1 + S{EndsUnseen},
         0, After::Stock, true},
        {"empty file: counts as modified, empty view", Empty, {}, {Warning(IDNO), MainShown(), ViewHolds(nullptr), CloseMain}},
        {"missing file, Yes: method 1 creates it", nullptr, {}, S{Warning(IDYES)} + Method1 + S{EndsUnseen}, 0, After::Stock},
        {"read-only modified file, Yes: error, old bytes kept", Infected, {ReadOnly(true)},
         {Warning(IDYES), Method1[0], ErrorBox(L"Ошибка 5: *"), EndsUnseen}, 5, After::Unchanged, false, {}, 96, 20, true},
        {"read-only file in a writable folder, method 1: error", Infected, {ReadOnly(false)},
         {Warning(IDYES), Method1[0], ErrorBox(L"Ошибка 5: *"), EndsUnseen}, 5, After::Unchanged, true, {}, 96, 20, true},
        // Methods 2 and 3
        {"method 3, No: nothing starts, the window stays", Stock, {},
         {Unmodified(IDYES), MainShown(), Click(Command4), Method3(IDNO, L"method3-question"), Idle(1), CloseMain}},
        {"method 3, Yes: route -f starts minimized", Stock, {}, {Unmodified(IDYES), MainShown(), Click(Command4), Method3(IDYES)},
         0, After::Unchanged, false, {L"route.exe|route -f|2"}},
        {"method 2, No: stock file, copy kept, no restart", Infected, {WinebootStandIn},
         {Warning(IDNO), MainShown(), Click(Command2), Method2Warned, Method2(IDNO, L"method2-question")}, 0, After::Stock, true},
        {"method 2 with no hosts file: writes the stock file", nullptr, {WinebootStandIn},
         {Warning(IDNO), MainShown(), ViewHolds(nullptr), Click(Command2), Method2Warned, Method2(IDNO)}, 0, After::Stock},
        {"method 2, Yes: a forced restart is requested", Infected, {WinebootStandIn},
         {Warning(IDNO), MainShown(), Click(Command2), Method2Warned, Method2(IDYES)}, 0, After::Stock, true,
         {L"wineboot.exe|*wineboot.exe --kill|*"}},  // what Wine makes of EWX_REBOOT | EWX_FORCE
        {"read-only file in a writable folder, method 2: error", Infected, {ReadOnly(false)},
         {Warning(IDNO), MainShown(), Click(Command2), Method2Warned, ErrorBox(L"Ошибка 5: *")}, 5, After::Unchanged,
         true, {}, 96, 20, true},
        // The main window
        {"main window at 96 DPI: frame, controls, tool tips", Infected, {},
         {Warning(IDNO), MainShown(), MainLayout, OpenAbout(), CloseMain}},
        {"main window at 144 DPI: frame, controls, tool tips", Infected, {},
         {Warning(IDNO), MainShown(), MainLayout, OpenAbout(), CloseMain}, 0, After::Unchanged, false, {}, 144},
        {"link hosts: opens the article, the window stays", Stock, {BrowserStandIn},
         {Unmodified(IDYES), MainShown(), ClickLabel(Label2), Idle(0.5), CloseMain}, 0, After::Unchanged, false,
         {L"browser.exe|*\"http://www.ru.wikipedia.org/wiki/Hosts\"|*"}},
        {"link advert: opens the forum page, the window stays", Stock, {BrowserStandIn},
         {Unmodified(IDYES), MainShown(), ClickLabel(Label3), Idle(0.5), CloseMain}, 0, After::Unchanged, false,
         {L"browser.exe|*\"http://www.*/forum/3-22-1\"|*"}},
        // The About dialog
        {"About: texts, place, one instance, both windows usable", Stock, {},
         {Unmodified(IDYES), MainShown(), OpenAbout(L"about-dialog"), AboutAgain, Click(Command4), Method3(IDNO),
          Idle(0.2), CloseAbout(Closing::OK), Idle(0.2), CloseMain}},
        {"About: Esc and the close box close it, it reopens", Stock, {},
         {Unmodified(IDYES), MainShown(), OpenAbout(), CloseAbout(Closing::Esc), OpenAbout(), CloseAbout(Closing::CloseBox),
          OpenAbout(), CloseAbout(Closing::OK), CloseMain}},
        {"About open: closing the main window ends the program", Stock, {},
         {Unmodified(IDYES), MainShown(), OpenAbout(), CloseMain}},
        {"About: the tool from the registry's path starts", Stock, {ToolPath(true), ToolFolder(false)},
         {Unmodified(IDYES), MainShown(), OpenAbout(), SysInfo, Idle(1), CloseMain}, 0, After::Unchanged, false,
         {L"sysinfo.exe|*" + options.bin + L"\\sysinfo.exe*|1"}},
        {"About: the tool from the registry's folder starts", Stock, {ToolPath(false), ToolFolder(true)},
         {Unmodified(IDYES), MainShown(), OpenAbout(), SysInfo, Idle(1), CloseMain}, 0, After::Unchanged, false,
         {L"MSINFO32.EXE|*" + options.root + L"\\msinfo\\MSINFO32.EXE*|1"}},
        {"About: no tool in the registry: the message", Stock, {ToolPath(false), ToolFolder(false)},
         {Unmodified(IDYES), MainShown(), OpenAbout(), SysInfo,
          MsgBox(App, L"System Information Is Unavailable At This Time", {IDOK}, Icon::None, IDOK, L"sysinfo-unavailable"),
          Idle(0.5), CloseMain}},
        // Hostile hosts files
        {"hosts file locked by another process: error", Infected, {Locked}, {ErrorBox(L"Ошибка 32: *"), EndsUnseen}, 32},
        {"hosts path is a folder: error", nullptr, {HostsIsFolder}, {ErrorBox(L"Ошибка *"), EndsUnseen}, AnyError},
        {"LF-only file: shown line by line", LfOnly, {}, {Warning(IDNO), MainShown(), ViewHolds(LfOnly), CloseMain}},
        {"a 10 MB single line loads", OneLongLine, {}, {Warning(IDNO), MainShown(), ViewHolds(OneLongLine), CloseMain}, 0,
         After::Unchanged, false, {}, 96, 120},
        {"a 150,000-line blocklist loads", Large, {}, {Warning(IDNO), MainShown(), ViewHolds(Large), CloseMain}, 0,
         After::Unchanged, false, {}, 96, 120},
    };
    return cases;
}

// ---- Running a case ----

std::wstring Stamp() {  // local time as the copies of the hosts file are named
    SYSTEMTIME t;
    GetLocalTime(&t);
    wchar_t s[32];
    swprintf(s, 32, L"%04u%02u%02u-%02u%02u%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return s;
}

// The hosts file as expected, and nothing beside it but the expected copy of the old bytes,
// named hosts.yyyyMMdd-HHmmss.bak with a time within the run.
void CheckSandbox(Run& r, const std::wstring& from, const std::wstring& to) {
    const std::optional<std::string> now = ReadFileBytes(r.hosts);
    const bool folder = GetFileAttributesW(r.hosts.c_str()) == FILE_ATTRIBUTE_DIRECTORY;
    if (r.c.after == After::Stock && now != Stock()) Fail("the hosts file does not hold the stock bytes");
    if (r.c.after == After::Unchanged && !folder && now != r.before) Fail("the hosts file changed");
    int copies = 0;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((r.etc + L"\\*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        const std::wstring name = found.cFileName, stamp = name.size() == 25 ? name.substr(6, 15) : L"";
        if (name == L"." || name == L".." || name == L"hosts") continue;
        if (!Matches(name, L"hosts.*.bak") || stamp < from || stamp > to || stamp.find_first_not_of(L"0123456789-") != stamp.npos)
            Fail("unexpected file beside the hosts file: " + Utf8(name));
        if (ReadFileBytes(r.etc + L"\\" + name) != r.before) Fail("the copy " + Utf8(name) + " differs from the old file");
        ++copies;
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    if (copies != (r.c.backup ? 1 : 0)) Fail(std::to_string(copies) + " copies of the old file");
}

std::vector<std::wstring> Records() {  // one line a start of a stand-in
    std::vector<std::wstring> lines;
    const std::wstring text = Wide(ReadFileBytes(options.record).value_or(""));
    for (size_t at = 0, end; (end = text.find(L'\n', at)) != text.npos; at = end + 1) lines.push_back(text.substr(at, end - at));
    return lines;
}

// Runs one case; returns what the stand-ins recorded.
std::string RunCase(const Case& c, size_t index) {
    Run r(c);
    r.dir = options.root + L"\\case" + std::to_wstring(index);
    r.etc = r.dir + L"\\WINDOWS\\System32\\drivers\\etc";
    r.hosts = r.etc + L"\\hosts";
    for (size_t at = options.root.size(); at != std::wstring::npos; at = r.etc.find(L'\\', at + 1))
        CreateDirectoryW(r.etc.substr(0, at).c_str(), nullptr);
    CreateDirectoryW(r.etc.c_str(), nullptr);
    if (c.hosts) WriteFileBytes(r.hosts, *(r.before = c.hosts()));
    DeleteFileW(options.record.c_str());
    if (c.dpi != 96) {  // each new process of the prefix reads it
        const DWORD dpi = c.dpi;
        SetValue(r, HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD,
                 std::string(reinterpret_cast<const char*>(&dpi), sizeof dpi));
    }
    for (const Step& step : c.prepare) step(r);

    const std::wstring from = Stamp();
    wchar_t path[32767] = {};
    GetEnvironmentVariableW(L"PATH", path, 32767);
    r.program = std::make_unique<Program>(L"\"" + options.exe + L"\"",
                                          std::vector<std::pair<std::wstring, std::wstring>>{
                                              {L"windir", r.dir + L"\\WINDOWS"}, {L"PATH", options.bin + L";" + path}},
                                          r.dir);
    for (const Step& step : c.steps) step(r);
    r.Await([](const Scene& s) { return s.ended; }, "the end of the program");
    const DWORD code = r.program->ExitCode();
    if (c.exitCode == AnyError ? code == 0 : code != c.exitCode) Fail("exit code " + std::to_string(code));
    r.Restore();
    CheckSandbox(r, from, Stamp());

    std::vector<std::wstring> records = Records();  // the stand-ins are not waited for by the program
    for (const double until = Seconds() + 15; records.size() < c.records.size() && Seconds() < until; Sleep(20))
        records = Records();
    std::string got;
    bool same = records.size() == c.records.size();
    for (size_t i = 0; i < records.size(); ++i) {
        got += " [" + Utf8(records[i]) + "]";
        same = same && Matches(records[i], c.records[i]);
    }
    if (!same) Fail("the stand-ins recorded:" + (got.empty() ? std::string(" nothing") : got));
    return got;
}

std::wstring Env(const wchar_t* name) {
    wchar_t value[32767] = {};
    GetEnvironmentVariableW(name, value, 32767);
    return value;
}
std::wstring Folder(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Window places as the program sees them, whatever DPI it was started with.
    using SetAwareness = BOOL(WINAPI*)(HANDLE);
    if (const auto set = reinterpret_cast<SetAwareness>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext"))))
        set(reinterpret_cast<HANDLE>(-3));  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE

    wchar_t self[MAX_PATH], temp[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    GetTempPathW(MAX_PATH, temp);
    std::wstring only;
    bool unprivileged = false;
    options.exe = Folder(Folder(Folder(self))) + L"\\hostovik.exe";  // as built: build/<arch>/tests/e2e/
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--exe" && i + 1 < argc) options.exe = argv[++i];
        if (arg == L"--only" && i + 1 < argc) only = argv[++i];
        unprivileged |= arg == L"--unprivileged";
    }
    options.root = Env(L"E2E_SANDBOX");
    if (options.root.empty()) options.root = temp + (L"hostovik-e2e-" + std::to_wstring(GetCurrentProcessId()));
    options.screens = Env(L"E2E_SCREENS");
    options.record = Env(L"E2E_RECORD");
    if (options.record.empty()) SetEnvironmentVariableW(L"E2E_RECORD", (options.record = options.root + L"\\record.txt").c_str());
    options.bin = options.root + L"\\bin";
    options.recorder = Folder(self) + L"\\recorder.exe";
    // The stand-ins: route and the browser first on the program's PATH, the system information tool.
    CreateDirectoryW(options.root.c_str(), nullptr);
    CreateDirectoryW(options.bin.c_str(), nullptr);
    CreateDirectoryW((options.root + L"\\msinfo").c_str(), nullptr);
    for (const std::wstring& copy : {options.bin + L"\\route.exe", options.bin + L"\\browser.exe",
                                     options.bin + L"\\sysinfo.exe", options.root + L"\\msinfo\\MSINFO32.EXE"})
        if (!CopyFileW(options.recorder.c_str(), copy.c_str(), FALSE)) {
            std::printf("FAIL  setting up: cannot copy the recorder to %s\n", Utf8(copy).c_str());
            return 1;
        }

    int passed = 0, failed = 0;
    const std::vector<Case>& cases = Cases();
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        if (c.unprivileged != unprivileged || Wide(c.name).find(only) == std::wstring::npos) continue;
        const double start = Seconds();
        std::string failure, recorded;
        try {
            recorded = RunCase(c, i);
        } catch (const std::exception& e) {
            failure = e.what();
        }
        std::printf("%s  %s (%.1f s)%s%s\n", failure.empty() ? "PASS" : "FAIL", c.name, Seconds() - start,
                    failure.empty() ? "" : ": ", failure.c_str());
        if (!recorded.empty()) std::printf("      recorded:%s\n", recorded.c_str());
        std::fflush(stdout);
        ++(failure.empty() ? passed : failed);
    }
    std::printf("driver: %d passed, %d failed\n", passed, failed);
    return failed ? 1 : 0;
}
