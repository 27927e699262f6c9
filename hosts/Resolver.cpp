#include "hosts/Resolver.h"

#include <algorithm>

namespace {

constexpr unsigned FlushSeconds = 30;
// The most of a value that is read: far beyond any folder's name, and little memory.
constexpr std::uint32_t ValueCap = 1u << 20;
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

// A variable of the machine's environment; nothing when it is not there as text. One that
// cannot be read is left as it is too: the value naming it then counts as moved, and is shown.
std::optional<std::wstring> MachineVariable(Registry& registry, const std::wstring& name) {
    try {
        const std::unique_ptr<RegistryKey> key = registry.Open(win::HKeyLocalMachine, MachineEnvironment, win::KeyQueryValue);
        return key ? key->ReadText(name, ValueCap) : std::nullopt;
    } catch (const Failure&) {
        return std::nullopt;
    }
}

// Variables as the DNS client, a service, expands them: %SystemRoot% (or %windir%, the same
// folder for the system) as the running Windows' own folder, the others from the machine's
// environment, never from this process's, which the user can set. One not found there stays
// as it is.
std::wstring Expanded(Registry& registry, const std::wstring& text, const std::wstring& windowsDir) {
    std::wstring out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text[at] == L'%' ? text.find(L'%', at + 1) : text.npos;
        const std::wstring name = end == text.npos ? L"" : text.substr(at + 1, end - at - 1);
        std::optional<std::wstring> value;
        if (Folded(name) == L"systemroot" || Folded(name) == L"windir") value = windowsDir;
        else if (!name.empty()) value = MachineVariable(registry, name);
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
    std::optional<RegistryValue> v;
    try {
        const std::unique_ptr<RegistryKey> key = s.registry.Open(win::HKeyLocalMachine, TcpipParameters, win::KeyQueryValue);
        if (key) v = key->Read(DataBasePath, ValueCap);
    } catch (const Failure& f) {
        if (f.Code() == win::ErrorInsufficientBuffer)
            return Redirect{L"<значение длиннее " + std::to_wstring(ValueCap) + L" байт>", L""};
        return Redirect{L"<не прочитано: ошибка " + std::to_wstring(f.Code()) + L": " + s.env.ErrorText(f.Code()) + L">", L""};
    }
    if (!v) return std::nullopt;
    if (v->type != win::RegSz && v->type != win::RegExpandSz)
        return Redirect{L"<значение типа " + std::to_wstring(v->type) + L", не текст>", L""};
    const std::wstring text = RegistryText(v->bytes);
    if (text.size() > LongestPath) return Redirect{Cut(text), L""};
    const std::wstring windowsDir = s.env.WindowsDirectory();
    const std::wstring folder = v->type == win::RegExpandSz ? Expanded(s.registry, text, windowsDir) : text;
    if (Folded(folder) == Folded(windowsDir + L"\\System32\\drivers\\etc")) return std::nullopt;
    return Redirect{Cut(text), IsLocalFolder(folder) ? folder : L""};
}

void ResetHostsRedirect(const Platform& s) {
    const std::unique_ptr<RegistryKey> key = s.registry.Open(win::HKeyLocalMachine, TcpipParameters, win::KeySetValue);
    if (!key) throw Failure(win::ErrorFileNotFound, L"HKLM\\" + std::wstring(TcpipParameters));
    key->Write(DataBasePath, {win::RegExpandSz, RegistryBytes(DefaultHostsFolder)});
}

std::uint32_t FlushDnsCache(const Platform& s) {
    try {
        const std::wstring ipconfig = s.env.SystemDirectory() + L"\\ipconfig.exe";
        return s.processes.RunHidden(ipconfig, L"\"" + ipconfig + L"\" /flushdns", FlushSeconds);
    } catch (const Failure& f) {
        return f.Code();
    }
}
