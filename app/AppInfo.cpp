#include "app/AppInfo.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace {

std::vector<unsigned char> VersionResource() {
    const HRSRC info = FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16) /* RT_VERSION */);
    const HGLOBAL loaded = info ? LoadResource(nullptr, info) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return {};
    // VerQueryValueW may write into the block, so it works on a copy.
    std::vector<unsigned char> copy(SizeofResource(nullptr, info));
    std::memcpy(copy.data(), data, copy.size());
    return copy;
}

std::wstring StringValue(std::vector<unsigned char>& block, const wchar_t* name) {
    struct Translation {
        WORD language, codepage;
    }* translation = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &size) ||
        size < sizeof *translation)
        return L"";
    wchar_t path[64];
    wsprintfW(path, L"\\StringFileInfo\\%04x%04x\\%s", translation->language, translation->codepage, name);
    wchar_t* text = nullptr;
    if (!VerQueryValueW(block.data(), path, reinterpret_cast<void**>(&text), &size) || size == 0) return L"";
    return std::wstring(text, wcsnlen(text, size));
}

}  // namespace

const AppInfo& ThisAppInfo() {
    static const AppInfo info = [] {
        AppInfo app;
        std::vector<unsigned char> block = VersionResource();
        if (block.empty()) return app;
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT size = 0;
        if (VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &size) && size >= sizeof *fixed) {
            app.major = HIWORD(fixed->dwFileVersionMS);
            app.minor = LOWORD(fixed->dwFileVersionMS);
            app.revision = LOWORD(fixed->dwFileVersionLS);
        }
        app.title = StringValue(block, L"ProductName");
        app.description = StringValue(block, L"FileDescription");
        return app;
    }();
    return info;
}
