#pragma once
// The application's metadata, from app/version.h, which also feeds the .exe's version resource,
// so the two cannot disagree. (Reading it back from the resource would take VERSION.dll, which
// is no KnownDLL: a copy lying beside the program would be loaded into the elevated process.)
#include <string_view>

#include "app/version.h"

struct AppInfo {
    std::wstring_view title, description;
    unsigned major, minor, revision;
};

inline constexpr AppInfo ThisApp{
    L"" APP_TITLE, L"" APP_DESCRIPTION, APP_VERSION_MAJOR, APP_VERSION_MINOR, APP_VERSION_REVISION};
