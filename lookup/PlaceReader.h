#pragma once
// What every reader of the lookup path's places shares: the report they fill, a place read so
// that its failure becomes a note and the others go on, and the keys they walk.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/Platform.h"
#include "lookup/Finding.h"
#include "lookup/WindowsRegistry.h"

// The most of a value that is read: far beyond any proxy list, rule or catalog entry.
inline constexpr std::uint32_t ValueCap = 1u << 16;

// A user whose settings are read: the current one (HKCU), one signed in (HKU\\SID), or one signed
// out, whose NTUSER.DAT is loaded for the read.
struct User {
    std::wstring who;  // as the findings name them
    std::int32_t root;
    std::wstring prefix = {};    // "SID\\" under HKU
    std::wstring folder = {};    // their profile's folder; empty for the current user
    std::wstring file = {};      // signed out: their registry file...
    LoadedHive* hive = nullptr;  // ...loaded
    KeyPlace Key(const std::wstring& path) const { return {root, prefix + path, file}; }
};

using Opener = std::function<std::unique_ptr<RegistryKey>(const std::wstring& path, std::uint32_t access)>;

struct PlaceReader {
    PlaceReader(const Platform& s, WindowsRegistry* windows) : s_(s), windows_(windows) {}

    // A place that cannot be read is noted, with what it was and the Windows error; the others go on.
    void Guarded(const std::function<void()>& read);
    void Add(Finding finding) { report.findings.push_back(std::move(finding)); }
    // Keys under HKLM, in its native view, or under the control set of the Windows worked on.
    Opener Machine();
    Opener ControlSet();
    // A user's keys, by their path under the user's root (Software\\...).
    Opener Of(const User& user);
    // Each subkey of `path`, opened to be read.
    void EachSubKey(const Opener& open, const std::wstring& path,
        const std::function<void(const std::wstring& name, RegistryKey& key)>& take);
    // The name Windows shows for an adapter; empty where it keeps none.
    std::wstring AdapterName(const std::wstring& guid);

    LookupReport report;
    const Platform& s_;
    WindowsRegistry* windows_;  // the registry of the Windows worked on
};
