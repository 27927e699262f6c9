#include "lookup/Undo.h"

#include <algorithm>

#include "hosts/HostsStore.h"
#include "lookup/Places.h"
#include "lookup/RegFile.h"
#include "lookup/WinHttpSettings.h"

namespace {

void SwitchOff(Registry& registry, const Undo& undo) {
    const std::unique_ptr<RegistryKey> key = OpenPlace(registry, undo.key, win::KeySetValue);
    if (!key) throw Failure(win::ErrorFileNotFound, KeyName(undo.key));
    switch (undo.action) {
        case Undo::ProxyOff:
            return key->Write(ProxyEnable, {win::RegDword, std::string(4, '\0')});
        case Undo::ScriptOff:
            return key->Delete(AutoConfigUrl);
        case Undo::WinHttpDirect:
            return key->Write(WinHttpSettings, {win::RegBinary, DirectWinHttpSettings(undo.old.at(0).second.bytes)});
    }
}

}  // namespace

bool AnyUndo(const std::vector<Finding>& findings) {
    return std::any_of(findings.begin(), findings.end(), [](const Finding& f) { return f.undo.has_value(); });
}

Undone UndoFindings(const Platform& s, const std::vector<Finding>& findings, const std::wstring& hostsPath) {
    std::vector<Undo> undos;
    for (const Finding& f : findings)
        if (f.undo) undos.push_back(*f.undo);
    Undone undone;
    try {
        undone.regFile = WriteStamped(s.files, hostsPath, s.clock.Now(), L".reg", RegFile(undos));
        for (const Undo& undo : undos) {
            SwitchOff(s.registry, undo);
            ++undone.done;
        }
    } catch (const Failure& f) {
        undone.failure = f;
    }
    return undone;
}
