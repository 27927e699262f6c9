#include "lookup/RegFile.h"

#include <cstdint>
#include <cwchar>

#include "app/RegistryLists.h"

namespace {

// regedit's way of writing a value's name or text: in quotes, a backslash and a quote escaped.
std::wstring Quoted(const std::wstring& text) {
    std::wstring quoted = L"\"";
    for (wchar_t c : text) quoted += c == L'\\' || c == L'"' ? std::wstring{L'\\', c} : std::wstring{c};
    return quoted + L"\"";
}

// A value as regedit writes it: dword:, a text in quotes, else its bytes in hex with its type.
// A text that quotes cannot give back byte for byte (no NUL at its end, one inside, a line break) goes in hex too.
std::wstring RegData(const RegistryValue& value) {
    wchar_t number[16];
    if (const std::optional<std::uint32_t> dword = RegistryKey::NumberValue(value)) {
        std::swprintf(number, 16, L"dword:%08x", static_cast<unsigned>(*dword));
        return number;
    }
    const std::wstring text = RegistryText(value.bytes);
    if (value.type == win::RegSz && RegistryBytes(text) == value.bytes && text.find_first_of(L"\r\n") == text.npos)
        return Quoted(text);
    std::swprintf(number, 16, L"hex(%x):", static_cast<unsigned>(value.type));
    std::wstring data = value.type == win::RegBinary ? L"hex:" : number;
    for (std::size_t at = 0; at < value.bytes.size(); ++at) {
        std::swprintf(number, 16, L"%02x", static_cast<unsigned>(static_cast<unsigned char>(value.bytes[at])));
        data += (at ? L"," : L"") + std::wstring(number);
    }
    return data;
}

}  // namespace

std::string RegFile(const std::vector<Undo>& undos, bool localSystem) {
    std::wstring text = L"Windows Registry Editor Version 5.00\r\n\r\n";
    for (const Undo& undo : undos) {
        const bool systems = localSystem && undo.key.root == win::HKeyCurrentUser;
        text += L"[" + (systems ? L"HKEY_USERS\\S-1-5-18\\" + undo.key.path : KeyName(undo.key)) + L"]\r\n";
        for (const auto& [name, value] : undo.old) text += Quoted(name) + L"=" + RegData(value) + L"\r\n";
        text += L"\r\n";
    }
    const std::string bytes = RegistryBytes(text);
    return "\xFF\xFE" + bytes.substr(0, bytes.size() - 2);  // the byte order mark; no NUL at the end
}
