#pragma once
// Driving a real Win32 program from outside, as a user would: start it with an environment
// of its own, poll its windows (each seen twice before it is trusted), read and answer its
// message boxes, capture the screen. Shared by the end-to-end driver and the benchmark.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

std::string Utf8(std::wstring_view text);
std::wstring Wide(std::string_view bytes, UINT codepage = CP_UTF8);
std::string To1251(std::wstring_view text);
double Seconds();  // monotonic

std::optional<std::string> ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, std::string_view bytes);

std::wstring ClassOf(HWND hwnd);
std::wstring TextOf(HWND hwnd);  // WM_GETTEXT, across processes too
RECT ScreenRect(HWND hwnd);
std::vector<HWND> WindowsOf(DWORD pid, bool visibleOnly);  // top-level windows

enum class Icon { None, Stop, Info, Warning, Question, Unknown };
const char* IconName(Icon icon);
struct Box {
    HWND hwnd;
    std::wstring title, text;
    std::vector<int> buttons;  // those shown, of IDOK, IDCANCEL, IDYES, IDNO in that order
    Icon icon;
};
Box ReadBox(HWND hwnd);

// The program's visible top-level windows at one moment.
struct Scene {
    bool ended = false;
    HWND main = nullptr;
    std::vector<HWND> boxes, dialogs;  // message boxes; other dialogs (the About box)
    bool operator==(const Scene&) const = default;
};

class Program {
public:
    // Starts `commandLine` with this process's environment plus `vars` (which replace
    // variables of the same name); its main window has the class `mainClass`.
    Program(const std::wstring& commandLine, const std::vector<std::pair<std::wstring, std::wstring>>& vars,
            const std::wstring& directory, std::wstring mainClass = L"HostovikForm1");
    ~Program();  // ends the process if it still runs
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    HANDLE Process() const { return pi_.hProcess; }
    double StartedAt() const { return started_; }
    bool Ended(DWORD waitMs = 0) const { return WaitForSingleObject(pi_.hProcess, waitMs) == WAIT_OBJECT_0; }
    DWORD ExitCode() const;
    bool MainEverShown() const { return mainShown_; }

    Scene Look();
    // Polls every 5 ms until `done` holds for two looks in a row that saw the same windows,
    // or `timeout` seconds pass; returns the last look.
    Scene WaitFor(const std::function<bool(const Scene&)>& done, double timeout);

private:
    PROCESS_INFORMATION pi_{};
    std::wstring mainClass_;
    double started_ = 0;
    bool mainShown_ = false;
};

std::vector<DWORD> CaptureScreen(const RECT& r);  // 0x00RRGGBB, row by row
bool SaveBmp(const RECT& r, const std::wstring& path);
