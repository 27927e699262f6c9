// The registry: keys closed as they go, values read whole.
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
                                              reinterpret_cast<const BYTE*>(value.bytes.data()),
                                              static_cast<DWORD>(value.bytes.size()));
        if (status != ERROR_SUCCESS) throw Failure(status, Of(name));
    }

private:
    std::wstring Of(const std::wstring& name) const { return place_ + L"\\" + name; }

    HKEY key_;
    bool ansi_;
    std::wstring place_;
};

}  // namespace

std::unique_ptr<RegistryKey> Win32Registry::Open(std::int32_t root, const std::wstring& path, std::uint32_t access,
                                                 Names names) {
    const auto rootKey = reinterpret_cast<HKEY>(static_cast<std::intptr_t>(root));
    const std::wstring place = (root == win::HKeyLocalMachine ? L"HKLM" : std::to_wstring(root)) + L"\\" + path;
    HKEY key = nullptr;
    const bool ansi = names == Names::Ansi;
    const LSTATUS status = ansi ? RegOpenKeyExA(rootKey, SystemAnsiCodepage().ToAnsi(path).c_str(), 0, access, &key)
                                : RegOpenKeyExW(rootKey, path.c_str(), 0, access, &key);
    if (status == ERROR_FILE_NOT_FOUND) return nullptr;
    if (status != ERROR_SUCCESS) throw Failure(status, place);
    return std::make_unique<Win32RegistryKey>(key, ansi, place);
}
