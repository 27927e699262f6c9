#pragma once
// Finding the system information tool through the registry and starting it.
#include <cstdint>
#include <string>

#include "app/Platform.h"

inline constexpr wchar_t SysInfoUnavailable[] = L"System Information Is Unavailable At This Time";

class SysInfo {
public:
    explicit SysInfo(const Platform& system) : s_(system) {}

    // Starts the tool, or tells the user that it is unavailable.
    void StartSysInfo();
    // Reads one value as text; KeyVal is emptied when the key or value cannot be read.
    bool GetKeyValue(
        const std::int32_t& KeyRoot, const std::wstring& KeyName, const std::wstring& SubKeyRef, std::wstring& KeyVal);

private:
    Platform s_;
};
