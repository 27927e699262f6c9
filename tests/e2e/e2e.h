#pragma once
// Driving a real Win32 program from outside, as a user would: start it, poll its windows (each
// look taken twice before it is trusted) and read files. Shared by the end-to-end driver and the
// start-up benchmark.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <stdexcept>
#include <algorithm>
#include <string>
#include <vector>

inline std::string Narrow(std::wstring_view text, UINT codepage = CP_UTF8) {
    std::string out(text.size() * 3, '\0');
    out.resize(WideCharToMultiByte(codepage, 0, text.data(), static_cast<int>(text.size()), out.data(),
        static_cast<int>(out.size()), nullptr, nullptr));
    return out;
}

inline double Seconds() { return static_cast<double>(GetTickCount64()) / 1000; }

inline std::optional<std::string> ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(f), {});
}

inline void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes) {
    if (!std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        throw std::runtime_error("cannot write " + Narrow(path.wstring()));
}

inline std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

using Windows = std::pair<DWORD, std::vector<HWND>>;  // a process and its windows
inline BOOL CALLBACK AddWindow(HWND hwnd, LPARAM windows) {
    auto& [pid, found] = *reinterpret_cast<Windows*>(windows);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == pid) found.push_back(hwnd);
    return TRUE;
}

inline std::vector<HWND> WindowsOf(DWORD pid) {  // top-level, hidden ones too, front to back
    Windows windows{pid, {}};
    EnumWindows(AddWindow, reinterpret_cast<LPARAM>(&windows));
    return windows.second;
}

// The program's visible top-level windows at one moment.
struct Scene {
    bool ended = false;
    HWND main = nullptr;
    std::vector<HWND> boxes, dialogs;  // message boxes; other dialogs (the About box)
    bool operator==(const Scene&) const = default;
};

// A program started with this process's environment, its standard output in a pipe, or with
// none at all when `pipe` is false; its main window has the class `mainClass`.
struct Program {
    std::wstring mainClass;
    PROCESS_INFORMATION pi{};
    HANDLE output = nullptr;  // the pipe's end to read
    double started = Seconds();
    bool mainShown = false;

    explicit Program(
        std::wstring commandLine, std::wstring mainClass_ = L"HostovikForm1", DWORD flags = 0, bool pipe = true)
        : mainClass(mainClass_) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE write = nullptr;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        if (pipe && CreatePipe(&output, &write, &inherit, 1 << 20))
            SetHandleInformation(output, HANDLE_FLAG_INHERIT, 0);
        si.hStdOutput = si.hStdError = write;
        const BOOL started =
            CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, pipe, flags, nullptr, nullptr, &si, &pi);
        if (write) CloseHandle(write);
        if (!started)
            throw std::runtime_error("cannot start " + Narrow(commandLine) + ": " + std::to_string(GetLastError()));
    }
    ~Program() {  // ends the process if it still runs
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 5000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        if (output) CloseHandle(output);
    }
    // What the program wrote to its standard output, once it has ended: what the pipe holds then.
    // Never a wait for the pipe's end, which any process that inherited its write handle holds
    // open for as long as it runs.
    std::string Output() const {
        std::string text;
        char buffer[4096];
        for (DWORD left = 0, read = 0; PeekNamedPipe(output, nullptr, 0, nullptr, &left, nullptr) && left;) {
            if (!ReadFile(output, buffer, std::min<DWORD>(left, sizeof buffer), &read, nullptr) || !read) break;
            text.append(buffer, read);
        }
        return text;
    }
    Program(const Program&) = delete;

    bool Ended(DWORD waitMs = 0) const { return WaitForSingleObject(pi.hProcess, waitMs) == WAIT_OBJECT_0; }
    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(pi.hProcess, &code);
        return code;
    }
    Scene Look() {
        Scene scene{Ended(), nullptr, {}, {}};
        for (HWND hwnd : WindowsOf(pi.dwProcessId)) {
            const std::wstring cls = IsWindowVisible(hwnd) ? ClassOf(hwnd) : L"";
            if (cls == mainClass) scene.main = hwnd;
            if (cls == L"#32770") (GetDlgItem(hwnd, 0xFFFF) ? scene.boxes : scene.dialogs).push_back(hwnd);
        }
        mainShown |= scene.main != nullptr;
        return scene;
    }
    // Polls every 5 ms until `done` holds for two looks in a row that saw the same windows, or
    // `timeout` seconds pass; returns the last look.
    Scene WaitFor(const std::function<bool(const Scene&)>& done, double timeout) {
        const double until = Seconds() + timeout;
        for (Scene previous = Look();; Sleep(5)) {
            Scene now = Look();
            if ((now == previous && done(now)) || Seconds() > until) return now;
            previous = std::move(now);
        }
    }
};
