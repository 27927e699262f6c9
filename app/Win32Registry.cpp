// The registry calls, one for one.
#include "app/Win32Platform.h"

namespace {

// The ANSI and the Unicode calls take the same arguments but for their texts.
template <class Char>
std::int32_t OpenKey(LSTATUS(WINAPI* open)(HKEY, const Char*, DWORD, REGSAM, PHKEY), RegistryCalls::Key root,
                     const Char* subKey, std::uint32_t options, std::uint32_t access, RegistryCalls::Key& result) {
    HKEY key = nullptr;
    const LSTATUS status = open(reinterpret_cast<HKEY>(root), subKey, options, access, &key);
    result = reinterpret_cast<RegistryCalls::Key>(key);
    return status;
}

template <class Char>
std::int32_t QueryValue(LSTATUS(WINAPI* query)(HKEY, const Char*, LPDWORD, LPDWORD, LPBYTE, LPDWORD),
                        RegistryCalls::Key key, const Char* valueName, std::uint32_t& type, unsigned char* data,
                        std::uint32_t& size) {
    DWORD t = 0, s = size;
    const LSTATUS status = query(reinterpret_cast<HKEY>(key), valueName, nullptr, &t, data, &s);
    type = t;
    size = s;
    return status;
}

}  // namespace

std::int32_t Win32Registry::RegOpenKeyExA(Key root, const char* subKey, std::uint32_t options, std::uint32_t access,
                                          Key& result) {
    return OpenKey(::RegOpenKeyExA, root, subKey, options, access, result);
}

std::int32_t Win32Registry::RegQueryValueExA(Key key, const char* valueName, std::uint32_t& type, unsigned char* data,
                                             std::uint32_t& size) {
    return QueryValue(::RegQueryValueExA, key, valueName, type, data, size);
}

std::int32_t Win32Registry::RegOpenKeyExW(Key root, const wchar_t* subKey, std::uint32_t options, std::uint32_t access,
                                          Key& result) {
    return OpenKey(::RegOpenKeyExW, root, subKey, options, access, result);
}

std::int32_t Win32Registry::RegQueryValueExW(Key key, const wchar_t* valueName, std::uint32_t& type,
                                             unsigned char* data, std::uint32_t& size) {
    return QueryValue(::RegQueryValueExW, key, valueName, type, data, size);
}

std::int32_t Win32Registry::RegSetValueExW(Key key, const wchar_t* valueName, std::uint32_t type,
                                           const unsigned char* data, std::uint32_t size) {
    return ::RegSetValueExW(reinterpret_cast<HKEY>(key), valueName, 0, type, data, size);
}

std::int32_t Win32Registry::RegCloseKey(Key key) {
    return ::RegCloseKey(reinterpret_cast<HKEY>(key));
}
