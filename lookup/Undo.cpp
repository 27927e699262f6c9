#include "lookup/Undo.h"

#include <algorithm>
#include <cstdint>

#include "hosts/HostsCopies.h"
#include "hosts/KnownSites.h"
#include "lookup/ConnectionSettings.h"
#include "lookup/FirefoxProfiles.h"
#include "lookup/Places.h"
#include "lookup/RegFile.h"
#include "lookup/WinHttpSettings.h"

namespace {

// A block list's entries that keep no security site from opening, renumbered from 1: Chromium
// reads a list up to its first missing number.
void FreeBlockList(RegistryKey& key, const Undo& undo, const Codepage& cp) {
    std::size_t kept = 0;
    for (const auto& [name, value] : undo.old)
        if (!BlocksProtection(cp.ToAnsi(RegistryKey::TextValue(value).value_or(L""))))
            key.Write(std::to_wstring(++kept), value);
    for (std::size_t n = kept + 1; n <= undo.old.size(); ++n) key.Delete(std::to_wstring(n));
}

void Write(RegistryKey& key, const Undo& undo, const Codepage& cp) {
    switch (undo.action) {
        case Undo::ProxyOff:
            return key.Write(ProxyEnable, {win::RegDword, std::string(4, '\0')});
        case Undo::ScriptOff:
            return key.Delete(AutoConfigUrl);
        case Undo::WinHttpDirect:
            return key.Write(WinHttpSettings, {win::RegBinary, DirectWinHttpSettings()});
        case Undo::ConnectionOff:
            return key.Write(
                undo.old.at(0).first, {win::RegBinary, ConnectionSwitchedOff(undo.old.at(0).second.bytes)});
        case Undo::PolicyOff:
            return key.Delete(undo.old.at(0).first);
        case Undo::BlockListFreed:
            return FreeBlockList(key, undo, cp);
        case Undo::FirefoxProxyOff:
            return;  // no key: its files are rewritten
    }
}

// A signed-out user's registry file is loaded again, to write, for this alone; its key is closed
// before the file is unloaded, and the file is unloaded whatever happens (its end does that when
// a write has failed).
void SwitchOff(const Platform& s, const Undo& undo) {
    std::unique_ptr<LoadedHive> hive;
    if (!undo.key.file.empty()) hive = LoadRegistryFile(s, undo.key.file, win::KeyRead | win::KeySetValue);
    std::unique_ptr<RegistryKey> key = hive ? hive->Open(InUserFile(undo.key.path), win::KeySetValue)
                                            : OpenPlace(s.registry, undo.key, win::KeySetValue);
    if (!key) throw Failure(win::ErrorFileNotFound, KeyName(undo.key));
    Write(*key, undo, s.cp);
    key.reset();
    if (hive) hive->Unload();
}

}  // namespace

bool AnyUndo(const std::vector<Finding>& findings) {
    return std::any_of(findings.begin(), findings.end(), [](const Finding& f) { return f.undo.has_value(); });
}

namespace {

// An earlier .reg beside hosts with these very bytes: a start-up script that undoes a proxy which
// malware keeps setting again must not fill the disk. Empty when there is none.
std::wstring EarlierRegFile(FileSystem& fs, const std::wstring& hostsPath, const std::string& bytes) {
    const std::wstring folder = hostsPath.substr(0, hostsPath.rfind(L'\\') + 1);
    for (const FoundFile& found : fs.Find(hostsPath + L".*.reg")) {
        if (found.size != bytes.size()) continue;
        std::string earlier;
        try {
            fs.ReadOrdinaryFile(folder + found.name, [&](std::string_view chunk) {
                earlier.append(chunk.substr(0, bytes.size() + 1 - std::min(bytes.size() + 1, earlier.size())));
            });
        } catch (const Failure&) {
            continue;
        }
        if (earlier == bytes) return folder + found.name;
    }
    return L"";
}

}  // namespace

Undone UndoFindings(const Platform& s, const std::vector<Finding>& findings, const std::wstring& hostsPath) {
    // A block list freed carries one undo for each of its entries that goes: it is written once.
    std::vector<Undo> undos, registry;
    std::vector<std::size_t> undoOf(findings.size(), SIZE_MAX);  // by finding: its undo's place in `undos`
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const std::optional<Undo>& undo = findings[i].undo;
        if (!undo) continue;
        const auto same = std::find_if(undos.begin(), undos.end(), [&](const Undo& u) {
            return u.action == Undo::BlockListFreed && undo->action == Undo::BlockListFreed &&
                   KeyName(u.key) == KeyName(undo->key);
        });
        undoOf[i] = static_cast<std::size_t>(same - undos.begin());
        if (same == undos.end()) undos.push_back(*undo);
    }
    for (const Undo& undo : undos)
        if (undo.action != Undo::FirefoxProxyOff) registry.push_back(undo);
    Undone undone{.total = undos.size()};
    std::vector<bool> done(undos.size());
    const auto tellEach = [&] {
        for (const std::size_t u : undoOf) undone.each.push_back(u < done.size() && done[u]);
    };
    try {
        // Only Firefox's files to change: no .reg.
        const std::string bytes = registry.empty() ? "" : RegFile(registry, s.processes.Rights().localSystem);
        undone.regFile = bytes.empty() ? L"" : EarlierRegFile(s.files, hostsPath, bytes);
        undone.earlier = !undone.regFile.empty();
        if (!undone.earlier && !bytes.empty())
            undone.regFile = WriteStamped(s.files, hostsPath, s.clock.Now(), L".reg", bytes);
    } catch (const Failure& f) {
        undone.failure = f;
        tellEach();
        return undone;
    }
    for (std::size_t u = 0; u < undos.size(); ++u) {
        const Undo& undo = undos[u];
        try {
            if (undo.action == Undo::FirefoxProxyOff) {
                const std::vector<std::wstring> copies = TakeProxyOutOfProfile(s, undo.profile);
                undone.copies.insert(undone.copies.end(), copies.begin(), copies.end());
            } else {
                SwitchOff(s, undo);
            }
            ++undone.done;
            done[u] = true;
        } catch (const Failure& f) {
            undone.notUndone.push_back(f);
        }
    }
    tellEach();
    // WinINET is told of its own settings; browsers watch their policy keys themselves.
    const bool users = std::any_of(undos.begin(), undos.end(), [](const Undo& u) {
        return u.action == Undo::ProxyOff || u.action == Undo::ScriptOff || u.action == Undo::ConnectionOff;
    });
    if (!undone.done || !users) return undone;
    if (s.processes.Rights().localSystem) {
        undone.browsersRestart = true;
        return undone;
    }
    try {
        s.registry.InternetSettingsChanged();
    } catch (const Failure& f) {
        undone.notTold = f;
    }
    return undone;
}
