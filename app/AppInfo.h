#pragma once
// The application's metadata, read back from the running program's version resource.
#include <string>

struct AppInfo {
    std::wstring title;
    std::wstring description;
    unsigned major = 0, minor = 0, revision = 0;
};

const AppInfo& ThisAppInfo();
