#include "forms/frmAbout/SysInfo.h"

#include <vector>

namespace {

constexpr wchar_t ToolKey[] = L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr wchar_t ToolValue[] = L"PATH";
constexpr wchar_t FolderKey[] = L"SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr wchar_t FolderValue[] = L"MSINFO";
constexpr wchar_t ToolFile[] = L"\\MSINFO32.EXE";
constexpr std::uint32_t ValueBufferSize = 1024;

// The kept bytes as one little-endian number, written in decimal.
std::wstring DwordText(std::string_view kept) {
    std::uint64_t value = 0;
    for (auto it = kept.rbegin(); it != kept.rend(); ++it) value = value << 8 | static_cast<unsigned char>(*it);
    return std::to_wstring(value);
}

}  // namespace

void SysInfo::StartSysInfo() {
    const bool started = [this] {
        try {
            std::wstring ToolPath;
            if (!GetKeyValue(win::HKeyLocalMachine, ToolKey, ToolValue, ToolPath)) {
                if (!GetKeyValue(win::HKeyLocalMachine, FolderKey, FolderValue, ToolPath)) return false;
                if (s_.fileLookup.FirstMatch(ToolPath + ToolFile).empty()) return false;
                ToolPath += ToolFile;
            }
            // Quoted, so that a path with spaces cannot start C:\Program.exe instead.
            s_.processes.Start(ToolPath, L"\"" + ToolPath + L"\"", win::ShowNormal);
            return true;
        } catch (const std::exception&) {
            return false;  // every way of failing ends in the one message
        }
    }();
    if (!started) s_.ui.MsgBox(SysInfoUnavailable, vbOKOnly, L"");  // titled with the application title
}

bool SysInfo::GetKeyValue(const std::int32_t& KeyRoot, const std::wstring& KeyName, const std::wstring& SubKeyRef,
                          std::wstring& KeyVal) {
    RegistryCalls::Key key = 0;
    bool read = false;
    // The key is closed on every path, also after a failed open.
    struct CloseKey {
        RegistryCalls& registry;
        RegistryCalls::Key& key;
        ~CloseKey() { registry.RegCloseKey(key); }
    } closeKey{s_.registry, key};

    if (s_.registry.RegOpenKeyExA(KeyRoot, s_.cp.ToAnsi(KeyName).c_str(), 0, win::KeyAllButDelete, key) == 0) {
        std::vector<unsigned char> buffer(ValueBufferSize, 0);
        std::uint32_t size = ValueBufferSize, type = 0;
        if (s_.registry.RegQueryValueExA(key, s_.cp.ToAnsi(SubKeyRef).c_str(), type, buffer.data(), size) == 0) {
            // A value without data has no character to look at: it cannot be read.
            if (size == 0 || size > ValueBufferSize) throw Failure(win::ErrorInvalidParameter, KeyName);
            // A text stored with its terminating NUL loses exactly that NUL.
            const std::uint32_t kept = buffer[size - 1] == 0 ? size - 1 : size;
            const std::string_view raw(reinterpret_cast<const char*>(buffer.data()), kept);
            if (type == win::RegSz) KeyVal = s_.cp.ToWide(raw);
            else if (type == win::RegDword) KeyVal = DwordText(raw);
            read = true;
        }
    }
    if (!read) KeyVal.clear();
    return read;
}
