#include "hosts/Resolver.h"

#include <algorithm>
#include <vector>

namespace {

constexpr unsigned FlushSeconds = 30;
// The most of a value that is read: far beyond any folder's name, and little memory.
constexpr std::uint32_t ValueCap = 1u << 20;
// Tries while the value keeps growing between the call that sizes it and the one that reads it.
constexpr int ReadAttempts = 4;
// The longest folder name Windows accepts.
constexpr std::size_t LongestPath = 32767;
// What a message or a line shows of a value at most.
constexpr std::size_t ShownChars = 300;

// A folder as Windows compares it: case-blind (folder names the default could match are
// ASCII), without trailing backslashes.
std::wstring Folded(std::wstring folder) {
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    std::transform(folder.begin(), folder.end(), folder.begin(),
                   [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; });
    return folder;
}

std::wstring Cut(const std::wstring& text) {
    std::size_t n = std::min(text.size(), ShownChars);
    if (n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] < 0xDC00) --n;  // never half a surrogate pair
    const std::wstring shown = Printable(text.substr(0, n));
    return n < text.size() ? shown + L"…" : shown;
}

struct Value {
    std::int32_t status = 0;
    std::uint32_t type = 0, size = 0;
    std::wstring text;
};

Value ReadValue(RegistryCalls& registry, const wchar_t* subKey, const wchar_t* name) {
    Value v;
    RegistryCalls::Key key = 0;
    v.status = registry.RegOpenKeyExW(win::HKeyLocalMachine, subKey, 0, win::KeyQueryValue, key);
    if (v.status != 0) return v;
    std::vector<unsigned char> data(512);
    for (int attempt = 1; attempt <= ReadAttempts; ++attempt) {
        v.size = static_cast<std::uint32_t>(data.size());
        v.status = registry.RegQueryValueExW(key, name, v.type, data.data(), v.size);
        if (v.status != static_cast<std::int32_t>(win::ErrorMoreData) || v.size > ValueCap) break;
        data.resize(v.size);
    }
    registry.RegCloseKey(key);
    // UTF-16, little-endian, up to the terminating NUL, as Windows reads it.
    for (std::size_t at = 0; v.status == 0 && at + 1 < std::min<std::size_t>(v.size, data.size()); at += 2) {
        const auto c = static_cast<wchar_t>(data[at] | data[at + 1] << 8);
        if (c == 0) break;
        v.text += c;
    }
    return v;
}

// Variables as the DNS client, a service, expands them: %SystemRoot% (or %windir%, the same
// folder for the system) as the running Windows' own folder, the others from the machine's
// environment, never from this process's, which the user can set. One not found there stays
// as it is.
std::wstring Expanded(RegistryCalls& registry, const std::wstring& text, const std::wstring& windowsDir) {
    std::wstring out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text[at] == L'%' ? text.find(L'%', at + 1) : text.npos;
        const std::wstring name = end == text.npos ? L"" : text.substr(at + 1, end - at - 1);
        std::optional<std::wstring> value;
        if (Folded(name) == L"systemroot" || Folded(name) == L"windir") {
            value = windowsDir;
        } else if (!name.empty()) {
            const Value machine = ReadValue(registry, MachineEnvironment, name.c_str());
            if (machine.status == 0 && (machine.type == win::RegSz || machine.type == win::RegExpandSz))
                value = machine.text;
        }
        if (value) {
            out += *value;
            at = end + 1;
        } else {
            out += text[at++];
        }
    }
    return out;
}

// A folder on a local drive, by its full name (X:\...): a relative name is read from wherever
// the current folder is, a share's would have this elevated process log on to the server that
// names it, and a device's could be anything.
bool IsLocalFolder(const std::wstring& folder) {
    return folder.size() >= 3 && (folder[0] | 0x20) >= L'a' && (folder[0] | 0x20) <= L'z' && folder[1] == L':' &&
           folder[2] == L'\\';
}

}  // namespace

std::optional<Redirect> HostsRedirect(const Platform& s) {
    const Value v = ReadValue(s.registry, TcpipParameters, DataBasePath);
    if (v.status == static_cast<std::int32_t>(win::ErrorFileNotFound)) return std::nullopt;
    if (v.status == static_cast<std::int32_t>(win::ErrorMoreData) && v.size > ValueCap)
        return Redirect{L"<значение длиннее " + std::to_wstring(ValueCap) + L" байт>", L""};
    if (v.status != 0) {
        const auto code = static_cast<std::uint32_t>(v.status);
        return Redirect{L"<не прочитано: ошибка " + std::to_wstring(code) + L": " + s.env.ErrorText(code) + L">", L""};
    }
    if (v.type != win::RegSz && v.type != win::RegExpandSz)
        return Redirect{L"<значение типа " + std::to_wstring(v.type) + L", не текст>", L""};
    if (v.text.size() > LongestPath) return Redirect{Cut(v.text), L""};
    const std::wstring windowsDir = s.env.WindowsDirectory();
    const std::wstring folder = v.type == win::RegExpandSz ? Expanded(s.registry, v.text, windowsDir) : v.text;
    if (Folded(folder) == Folded(windowsDir + L"\\System32\\drivers\\etc")) return std::nullopt;
    return Redirect{Cut(v.text), IsLocalFolder(folder) ? folder : L""};
}

void ResetHostsRedirect(const Platform& s) {
    RegistryCalls::Key key = 0;
    std::int32_t status =
        s.registry.RegOpenKeyExW(win::HKeyLocalMachine, TcpipParameters, 0, win::KeySetValue, key);
    if (status == 0) {
        std::vector<unsigned char> data;  // UTF-16 with its terminating NUL; the text is ASCII
        for (const wchar_t* c = DefaultHostsFolder;; ++c) {
            data.insert(data.end(), {static_cast<unsigned char>(*c), 0});
            if (!*c) break;
        }
        status = s.registry.RegSetValueExW(key, DataBasePath, win::RegExpandSz, data.data(),
                                           static_cast<std::uint32_t>(data.size()));
        s.registry.RegCloseKey(key);
    }
    if (status != 0)
        throw Failure(static_cast<std::uint32_t>(status),
                      L"HKLM\\" + std::wstring(TcpipParameters) + L"\\" + DataBasePath);
}

std::uint32_t FlushDnsCache(const Platform& s) {
    try {
        const std::wstring ipconfig = s.env.SystemDirectory() + L"\\ipconfig.exe";
        return s.processes.RunHidden(ipconfig, L"\"" + ipconfig + L"\" /flushdns", FlushSeconds);
    } catch (const Failure& f) {
        return f.Code();
    }
}
