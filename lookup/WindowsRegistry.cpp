#include "lookup/WindowsRegistry.h"

#include <algorithm>

#include "app/Ascii.h"
#include "lookup/LookupMessages.h"

namespace {

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
    return AsciiLower(folder);
}

// The control set another installation starts with: ControlSetNNN, NNN from Select\Current.
std::wstring ActiveControlSet(LoadedHive& hive, const std::wstring& file) {
    std::optional<std::uint32_t> current;
    if (const std::unique_ptr<RegistryKey> select = hive.Open(L"Select", win::KeyQueryValue))
        current = select->ReadNumber(L"Current");
    if (!current) throw Failure(win::ErrorInvalidData, file + L"\\Select\\Current");
    const std::wstring number = std::to_wstring(*current);
    const std::wstring name = L"ControlSet" + std::wstring(3 - std::min<std::size_t>(3, number.size()), L'0') + number;
    if (hive.Open(name, win::KeyQueryValue)) return name;
    // What there is, for whoever looks into it; none is taken in its place.
    std::wstring present;
    if (const std::unique_ptr<RegistryKey> root = hive.Open(L"", win::KeyEnumerateSubKeys))
        for (const std::wstring& set : root->SubKeys())
            if (set.starts_with(L"ControlSet")) present += (present.empty() ? L"" : L", ") + set;
    throw Failure(win::ErrorFileNotFound, file + L"\\" + name + (present.empty() ? L"" : ControlSetsPresent(present)));
}

}  // namespace

std::wstring Cut(const std::wstring& text) {
    std::size_t n = std::min(text.size(), ShownChars);
    if (n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] < 0xDC00) --n;  // never half a surrogate pair
    const std::wstring shown = Printable(text.substr(0, n));
    return n < text.size() ? shown + L"…" : shown;
}

std::wstring KeyName(const KeyPlace& place) {
    return (place.root == win::HKeyCurrentUser ? L"HKEY_CURRENT_USER"
               : place.root == win::HKeyUsers  ? L"HKEY_USERS"
                                               : L"HKEY_LOCAL_MACHINE") +
           std::wstring(L"\\") + place.path;
}

std::unique_ptr<RegistryKey> OpenPlace(Registry& registry, const KeyPlace& place, std::uint32_t access) {
    return registry.Open(place.root, place.path, access | win::KeyWow64_64Key);
}

bool IsOtherInstallation(const Platform& s, const std::wstring& windowsDir) {
    return !windowsDir.empty() && Folded(windowsDir) != Folded(s.env.WindowsDirectory());
}

void RequireWindowsFolder(FileSystem& files, const std::wstring& windowsDir) {
    const std::optional<std::uint32_t> system = files.Attributes(windowsDir + L"\\System32");
    if (!system || !(*system & win::FileAttributeDirectory))
        throw Failure(win::ErrorPathNotFound, windowsDir + L"\n" + std::wstring(NoWindowsThere));
}

WindowsRegistry::WindowsRegistry(const Platform& s, const std::wstring& windowsDir)
    : s_(s),
      windowsDir_(s.env.WindowsDirectory()),
      controlSet_(L"SYSTEM\\CurrentControlSet"),
      place_(L"HKLM\\" + controlSet_) {
    if (!IsOtherInstallation(s, windowsDir)) return;
    windowsDir_ = windowsDir;
    file_ = windowsDir + L"\\System32\\config\\SYSTEM";
    hive_ = LoadRegistryFile(s_, file_, win::KeyRead);
    controlSet_ = ActiveControlSet(*hive_, file_);
    place_ = file_ + L"\\" + controlSet_;
}

std::unique_ptr<LoadedHive> LoadRegistryFile(const Platform& s, const std::wstring& file, std::uint32_t access) {
    // Windows would make an empty registry file where there is none: none is left there.
    const std::optional<FileFacts> facts = s.files.Facts(file);
    if (!facts) throw Failure(win::ErrorFileNotFound, file);
    if (facts->attributes & win::FileAttributeReparsePoint || facts->links != 1)
        throw Failure(win::ErrorCantAccessFile, file + L"\n" + std::wstring(HiveNotPlain));
    try {
        if (std::unique_ptr<LoadedHive> hive = s.registry.LoadPrivately(file, access)) return hive;
    } catch (const Failure&) {
    }
    return s.registry.Load(file);
}

std::unique_ptr<RegistryKey> WindowsRegistry::Open(const std::wstring& path, std::uint32_t access) {
    const std::wstring under = controlSet_ + L"\\" + path;
    if (file_.empty()) return s_.registry.Open(win::HKeyLocalMachine, under, access);
    if (!hive_) throw Failure(win::ErrorInvalidHandle, place_ + L"\\" + path);  // unloaded: never this Windows' own
    return hive_->Open(under, access);
}

// A variable of the installation's machine environment; nothing when it is not there as text.
// One that cannot be read is left as it is too: the value naming it then counts as moved, and
// is shown.
std::optional<std::wstring> WindowsRegistry::MachineVariable(const std::wstring& name) {
    try {
        const std::unique_ptr<RegistryKey> key = Open(MachineEnvironment, win::KeyQueryValue);
        return key ? key->ReadText(name, ValueCap) : std::nullopt;
    } catch (const Failure&) {
        return std::nullopt;
    }
}

// Variables as the DNS client, a service, expands them: %SystemRoot% (or %windir%, the same
// folder for the system) as the installation's own folder, %SystemDrive% as its drive, the others
// from its machine environment, never from this process's, which the user can set. One not found
// there stays as it is.
std::wstring WindowsRegistry::Expanded(const std::wstring& text) {
    std::wstring out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text[at] == L'%' ? text.find(L'%', at + 1) : text.npos;
        const std::wstring name = end == text.npos ? L"" : text.substr(at + 1, end - at - 1);
        std::optional<std::wstring> value;
        if (Folded(name) == L"systemroot" || Folded(name) == L"windir") value = windowsDir_;
        else if (Folded(name) == L"systemdrive" && IsDrivePath(windowsDir_)) value = windowsDir_.substr(0, 2);
        else if (!name.empty()) value = MachineVariable(name);
        if (value) {
            out += *value;
            at = end + 1;
        } else {
            out += text[at++];
        }
    }
    return out;
}

std::optional<Redirect> WindowsRegistry::HostsRedirect() {
    std::optional<RegistryValue> v;
    try {
        const std::unique_ptr<RegistryKey> key = Open(TcpipParameters, win::KeyQueryValue);
        if (key) v = key->Read(DataBasePath, ValueCap);
    } catch (const Failure& f) {
        if (f.Code() == win::ErrorInsufficientBuffer) return Redirect{ValueTooLong(ValueCap), L""};
        return Redirect{ValueUnread(f.Code(), s_.env.ErrorText(f.Code())), L""};
    }
    if (!v) return std::nullopt;
    if (v->type != win::RegSz && v->type != win::RegExpandSz) return Redirect{ValueNotText(v->type), L""};
    const std::wstring text = RegistryText(v->bytes);
    if (text.size() > LongestPath) return Redirect{Cut(text), L""};
    const std::wstring folder = v->type == win::RegExpandSz ? Expanded(text) : text;
    if (Folded(folder) == Folded(windowsDir_ + L"\\System32\\drivers\\etc")) return std::nullopt;
    return Redirect{Cut(text), file_.empty() && IsDrivePath(folder) ? folder : L""};
}

void WindowsRegistry::WriteDefault() {
    const std::unique_ptr<RegistryKey> key = Open(TcpipParameters, win::KeySetValue);
    if (!key) throw Failure(win::ErrorFileNotFound, place_ + L"\\" + TcpipParameters);
    key->Write(DataBasePath, {win::RegExpandSz, RegistryBytes(DefaultHostsFolder)});
}

void WindowsRegistry::ResetHostsRedirect() {
    if (file_.empty()) return WriteDefault();
    Unload();
    hive_ = LoadRegistryFile(s_, file_, win::KeyRead | win::KeySetValue);
    try {
        WriteDefault();
    } catch (const Failure&) {
        hive_.reset();
        throw;
    }
    Unload();
}

void WindowsRegistry::Unload() {
    if (!hive_) return;
    hive_->Unload();
    hive_.reset();
}
