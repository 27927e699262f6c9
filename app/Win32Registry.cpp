// The registry: keys closed as they go, values read whole, and other installations' registry files.
#include "app/Win32Platform.h"

namespace {

// The first read's buffer, at most: most values fit, and a larger one is sized by that read.
constexpr DWORD FirstRead = 1024;
// Reads while the value keeps growing between the read that sizes it and the next.
constexpr int ReadAttempts = 4;

class Win32RegistryKey final : public RegistryKey {
public:
    // `place`: the key as failures name it.
    Win32RegistryKey(HKEY key, bool ansi, std::wstring place) : key_(key), ansi_(ansi), place_(std::move(place)) {}
    ~Win32RegistryKey() override { RegCloseKey(key_); }
    Win32RegistryKey(const Win32RegistryKey&) = delete;
    Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

    std::optional<RegistryValue> Read(const std::wstring& name, std::uint32_t cap) override {
        RegistryValue value;
        value.bytes.resize(std::min<DWORD>(cap, FirstRead));
        for (int attempt = 1;; ++attempt) {
            DWORD type = 0, size = static_cast<DWORD>(value.bytes.size());
            const auto data = reinterpret_cast<BYTE*>(value.bytes.data());
            const LSTATUS status =
                ansi_ ? RegQueryValueExA(key_, SystemAnsiCodepage().ToAnsi(name).c_str(), nullptr, &type, data, &size)
                      : RegQueryValueExW(key_, name.c_str(), nullptr, &type, data, &size);
            if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
            if (status == ERROR_MORE_DATA && size > cap) throw Failure(ERROR_INSUFFICIENT_BUFFER, Of(name));
            if (status == ERROR_MORE_DATA && attempt < ReadAttempts) {
                value.bytes.resize(size);
                continue;
            }
            if (status != ERROR_SUCCESS) throw Failure(status, Of(name));
            value.type = type;
            value.bytes.resize(size);
            return value;
        }
    }

    void Write(const std::wstring& name, const RegistryValue& value) override {
        const LSTATUS status = RegSetValueExW(key_, name.c_str(), 0, value.type,
            reinterpret_cast<const BYTE*>(value.bytes.data()), static_cast<DWORD>(value.bytes.size()));
        if (status != ERROR_SUCCESS) throw Failure(status, Of(name));
    }

    void Delete(const std::wstring& name) override {
        const LSTATUS status = RegDeleteValueW(key_, name.c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) throw Failure(status, Of(name));
    }

    std::vector<std::wstring> SubKeys() override {
        std::vector<std::wstring> names;
        for (DWORD index = 0;; ++index) {
            wchar_t name[256];  // the longest name of a key, and its NUL
            DWORD size = 256;
            const LSTATUS status = RegEnumKeyExW(key_, index, name, &size, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_NO_MORE_ITEMS) return names;
            if (status != ERROR_SUCCESS) throw Failure(status, place_);
            names.emplace_back(name, size);
        }
    }

    std::vector<std::wstring> ValueNames() override {
        std::vector<std::wstring> names;
        for (DWORD index = 0;; ++index) {
            std::wstring name(16384, L'\0');  // the longest name of a value, and its NUL
            DWORD size = 16384;
            const LSTATUS status = RegEnumValueW(key_, index, name.data(), &size, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_NO_MORE_ITEMS) return names;
            if (status != ERROR_SUCCESS) throw Failure(status, place_);
            names.push_back(name.substr(0, size));
        }
    }

private:
    std::wstring Of(const std::wstring& name) const { return place_ + L"\\" + name; }

    HKEY key_;
    bool ansi_;
    std::wstring place_;
};

// `path` under `root`, with the ANSI calls or the Unicode ones; `place`: the key as failures name it.
std::unique_ptr<RegistryKey> OpenKey(
    HKEY root, const std::wstring& path, std::uint32_t access, bool ansi, const std::wstring& place) {
    HKEY key = nullptr;
    const LSTATUS status = ansi ? RegOpenKeyExA(root, SystemAnsiCodepage().ToAnsi(path).c_str(), 0, access, &key)
                                : RegOpenKeyExW(root, path.c_str(), 0, access, &key);
    if (status == ERROR_FILE_NOT_FOUND) return nullptr;
    if (status != ERROR_SUCCESS) throw Failure(status, place);
    return std::make_unique<Win32RegistryKey>(key, ansi, place);
}

// A path under another, the empty one being the other itself.
std::wstring Under(const std::wstring& parent, const std::wstring& path) {
    return path.empty() ? parent : parent + L"\\" + path;
}

// RegLoadKeyW and RegUnLoadKeyW need the backup and restore privileges: enabled for the call alone.
template <class Call>
LSTATUS AsBackupOperator(Call call) {
    const BackupRights rights;
    return call();
}

class Win32LoadedHive final : public LoadedHive {
public:
    Win32LoadedHive(std::wstring name, std::wstring file) : name_(std::move(name)), file_(std::move(file)) {}
    ~Win32LoadedHive() override {
        if (!unloaded_) Unloaded();
    }
    Win32LoadedHive(const Win32LoadedHive&) = delete;
    Win32LoadedHive& operator=(const Win32LoadedHive&) = delete;

    std::unique_ptr<RegistryKey> Open(const std::wstring& path, std::uint32_t access) override {
        return OpenKey(HKEY_LOCAL_MACHINE, Under(name_, path), access, false, Under(file_, path));
    }
    void Unload() override {
        const LSTATUS status = Unloaded();
        if (status != ERROR_SUCCESS) throw Failure(status, file_);
    }

private:
    LSTATUS Unloaded() {
        const LSTATUS status = AsBackupOperator([this] { return RegUnLoadKeyW(HKEY_LOCAL_MACHINE, name_.c_str()); });
        unloaded_ = status == ERROR_SUCCESS;
        return status;
    }

    std::wstring name_, file_;  // under HKLM; the file it was loaded from
    bool unloaded_ = false;
};

// A registry file loaded by RegLoadAppKeyW: reached through its root key alone, and unloaded by
// Windows once its last key is closed.
class Win32AppHive final : public LoadedHive {
public:
    Win32AppHive(HKEY root, std::wstring file) : root_(root), file_(std::move(file)) {}
    ~Win32AppHive() override {
        if (root_) RegCloseKey(root_);
    }
    Win32AppHive(const Win32AppHive&) = delete;
    Win32AppHive& operator=(const Win32AppHive&) = delete;

    std::unique_ptr<RegistryKey> Open(const std::wstring& path, std::uint32_t access) override {
        return OpenKey(root_, path, access, false, Under(file_, path));
    }
    void Unload() override {
        if (root_) RegCloseKey(root_);
        root_ = nullptr;
    }

private:
    HKEY root_;
    std::wstring file_;
};

}  // namespace

std::unique_ptr<RegistryKey> Win32Registry::Open(
    std::int32_t root, const std::wstring& path, std::uint32_t access, Names names) {
    const wchar_t* const rootName = root == win::HKeyLocalMachine  ? L"HKLM"
                                    : root == win::HKeyCurrentUser ? L"HKCU"
                                    : root == win::HKeyUsers       ? L"HKU"
                                                                   : L"?";
    const std::wstring place = Under(rootName, path);
    return OpenKey(reinterpret_cast<HKEY>(static_cast<std::intptr_t>(root)), path, access, names == Names::Ansi, place);
}

std::unique_ptr<LoadedHive> Win32Registry::Load(const std::wstring& file) {
    const std::wstring name = LoadedHivePrefix + std::to_wstring(GetCurrentProcessId());
    const LSTATUS status =
        AsBackupOperator([&] { return RegLoadKeyW(HKEY_LOCAL_MACHINE, name.c_str(), file.c_str()); });
    if (status != ERROR_SUCCESS) throw Failure(status, file);
    return std::make_unique<Win32LoadedHive>(name, file);
}

std::unique_ptr<LoadedHive> Win32Registry::LoadPrivately(const std::wstring& file, std::uint32_t access) {
    using LoadAppKey = LSTATUS(WINAPI*)(LPCWSTR, PHKEY, REGSAM, DWORD, DWORD);
    const auto load = Procedure<LoadAppKey>(GetModuleHandleW(L"advapi32.dll"), "RegLoadAppKeyW");
    if (!load) return nullptr;
    // REG_PROCESS_APPKEY: no other program loads the file while this run has it.
    constexpr DWORD ProcessAppKey = 1;
    HKEY root = nullptr;
    const LSTATUS status = load(file.c_str(), &root, access, ProcessAppKey, 0);
    if (status != ERROR_SUCCESS) throw Failure(status, file);
    // A stand-in that answers success with no key behind it (Wine's, which gives a made-up handle)
    // loads nothing.
    DWORD subKeys = 0;
    if (RegQueryInfoKeyW(root, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr, nullptr,
            nullptr, nullptr) == ERROR_INVALID_HANDLE)
        return nullptr;
    return std::make_unique<Win32AppHive>(root, file);
}

// INTERNET_OPTION_SETTINGS_CHANGED, then INTERNET_OPTION_REFRESH: what the Internet Options dialog
// sends, so that running browsers read the connection values again. The DLL is taken by its full
// path in the system folder, never searched for.
void Win32Registry::InternetSettingsChanged() {
    const SystemDll wininet(L"wininet.dll");
    const auto set = wininet.Get<BOOL(WINAPI*)(void*, DWORD, void*, DWORD)>("InternetSetOptionW");
    if (!set(nullptr, 39, nullptr, 0) || !set(nullptr, 37, nullptr, 0)) ThrowLastError(L"InternetSetOptionW");
}
