#include "forms/frmAbout/SysInfo.h"

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

bool SysInfo::GetKeyValue(
    const std::int32_t& KeyRoot, const std::wstring& KeyName, const std::wstring& SubKeyRef, std::wstring& KeyVal) {
    std::optional<RegistryValue> value;
    // A key that this access cannot open, or a value that cannot be read (larger than the buffer,
    // say), is not read, as a missing one: the lookup goes on to its next place.
    try {
        const std::unique_ptr<RegistryKey> key =
            s_.registry.Open(KeyRoot, KeyName, win::KeyAllButDelete, Registry::Names::Ansi);
        if (key) value = key->Read(SubKeyRef, ValueBufferSize);
    } catch (const Failure&) {
        value.reset();
    }
    if (!value) {
        KeyVal.clear();
        return false;
    }
    // A value without data has no character to look at: it cannot be read.
    if (value->bytes.empty()) throw Failure(win::ErrorInvalidParameter, KeyName);
    // A text stored with its terminating NUL loses exactly that NUL.
    std::string_view kept = value->bytes;
    if (kept.back() == '\0') kept.remove_suffix(1);
    if (value->type == win::RegSz) KeyVal = s_.cp.ToWide(kept);
    else if (value->type == win::RegDword) KeyVal = DwordText(kept);
    return true;
}
