#pragma once
// Finding the system information tool through the registry and starting it.
#include <cstdint>
#include <string>

#include "app/MsgBox.h"
#include "app/Platform.h"
#include "hosts/Codepage.h"

// The registry calls the lookup needs, so that tests can record them.
class RegistryCalls {
public:
    using Key = std::intptr_t;
    virtual ~RegistryCalls() = default;
    virtual std::int32_t RegOpenKeyExA(Key root, const char* subKey, std::uint32_t options, std::uint32_t access,
                                       Key& result) = 0;
    virtual std::int32_t RegQueryValueExA(Key key, const char* valueName, std::uint32_t& type, unsigned char* data,
                                          std::uint32_t& size) = 0;
    virtual std::int32_t RegCloseKey(Key key) = 0;
};

// A file-name lookup with normal attributes: the first matching name, or the empty text.
class FileLookup {
public:
    virtual ~FileLookup() = default;
    virtual std::wstring FirstMatch(const std::wstring& pattern) = 0;
};

inline constexpr std::int32_t HKeyLocalMachine = static_cast<std::int32_t>(0x80000002u);

class SysInfo {
public:
    SysInfo(RegistryCalls& registry, FileLookup& files, Processes& processes, MessageBoxUi& ui, const Codepage& cp,
            std::wstring appTitle)
        : registry_(registry), files_(files), processes_(processes), ui_(ui), cp_(cp), appTitle_(std::move(appTitle)) {}

    // Starts the tool, or tells the user that it is unavailable.
    void StartSysInfo();
    // Reads one value as text; KeyVal is emptied when the key or value cannot be read.
    bool GetKeyValue(const std::int32_t& KeyRoot, const std::wstring& KeyName, const std::wstring& SubKeyRef,
                     std::wstring& KeyVal);

private:
    RegistryCalls& registry_;
    FileLookup& files_;
    Processes& processes_;
    MessageBoxUi& ui_;
    const Codepage& cp_;
    std::wstring appTitle_;
};
