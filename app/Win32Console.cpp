// Where a run without a window writes its lines.
#include "app/Win32Platform.h"

bool Win32Console::Available() {
    if (!looked_) {
        looked_ = true;
        out_ = GetStdHandle(STD_OUTPUT_HANDLE);
        if (!out_ || out_ == INVALID_HANDLE_VALUE) {
            // A window program has no output of its own: the console it was started from, if any,
            // opened for reading too, without which its mode cannot be asked.
            out_ = AttachConsole(ATTACH_PARENT_PROCESS)
                       ? CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr)
                       : nullptr;
            if (out_ == INVALID_HANDLE_VALUE) out_ = nullptr;
        }
        DWORD mode = 0;
        console_ = out_ && GetConsoleMode(out_, &mode);
    }
    return out_ != nullptr;
}

// Every line ends in CR LF.
void Win32Console::WriteLine(std::wstring_view line) {
    if (!Available()) return;
    std::wstring text;
    for (wchar_t c : line) text += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
    text += L"\r\n";
    DWORD written = 0;
    if (console_) {
        if (!WriteConsoleW(out_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
            ThrowLastError(L"CONOUT$");
        return;
    }
    const UINT consoleCodepage = GetConsoleOutputCP();
    const UINT codepage = utf8_ ? CP_UTF8 : consoleCodepage ? consoleCodepage : GetOEMCP();
    const int size =
        WideCharToMultiByte(codepage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codepage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    if (!WriteFile(out_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) ThrowLastError(L"stdout");
}
