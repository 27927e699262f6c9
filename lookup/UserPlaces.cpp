#include "lookup/UserPlaces.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/Ascii.h"
#include "lookup/BrowserPolicies.h"
#include "lookup/ConnectionSettings.h"
#include "lookup/FirefoxProfiles.h"
#include "lookup/LookupMessages.h"
#include "lookup/PlaceReader.h"
#include "lookup/Places.h"
#include "lookup/ProxyRules.h"
#include "lookup/WindowsRegistry.h"

bool IsUserHive(std::wstring_view name) {
    // A local or a domain account's; or one of Microsoft Entra ID (Azure AD), which Windows 10 and 11 sign in with.
    return (name.starts_with(L"S-1-5-21-") || name.starts_with(L"S-1-12-1-")) &&
           !AsciiLower(name).ends_with(L"_classes");
}

namespace {

class UserReader {
public:
    explicit UserReader(PlaceReader& reader) : r_(reader) {}

    // Each user's own settings: the current user's; when the run is SYSTEM's, a fleet's, every
    // user's too, signed in or not. Then the whole computer's proxy where a policy makes it so.
    void Read() {
        managed_ = Managed(r_);
        ReadBrowserPolicies(r_, nullptr, managed_);
        ReadFirefoxInstallation(r_);
        ReadUser({.who = CurrentUser, .root = win::HKeyCurrentUser});
        if (r_.s_.processes.Rights().localSystem) EveryUser();
        WholeComputersProxy();
    }

private:
    bool managed_ = true;  // a company's or a school's computer, whose browsers' policies are only named

    // What is read of each user.
    void ReadUser(const User& user) {
        InternetOptions(user.Key(InternetSettings), user.who, true, user.hive);
        ReadBrowserPolicies(r_, &user, managed_);
        ReadFirefoxProfiles(r_, user);
    }

    // Each signed-in user's hive under HKU, then each other profile's registry file.
    void EveryUser() {
        // The profiles' folders first: no key is left open while a file is loaded and unloaded.
        std::map<std::wstring, std::wstring> folders;
        r_.EachSubKey(r_.Machine(), ProfileList, [&](const std::wstring& sid, RegistryKey& profile) {
            if (IsUserHive(sid))
                folders[sid] = r_.windows_->Expanded(profile.ReadText(L"ProfileImagePath", ValueCap).value_or(L""));
        });
        std::set<std::wstring> signedIn;
        r_.Guarded([&] {
            const std::unique_ptr<RegistryKey> users =
                r_.s_.registry.Open(win::HKeyUsers, L"", win::KeyEnumerateSubKeys);
            for (const std::wstring& sid : users ? users->SubKeys() : std::vector<std::wstring>{})
                if (IsUserHive(sid)) {
                    signedIn.insert(AsciiLower(sid));
                    ReadUser({UserOf(Cut(sid)), win::HKeyUsers, sid + L"\\", folders[sid]});
                }
        });
        for (const auto& [sid, folder] : folders)
            if (!signedIn.count(AsciiLower(sid))) SignedOutUser(sid, folder);
    }

    // A signed-out user's registry file, loaded to be read for this alone and unloaded whatever
    // happens; one that cannot be loaded is named, with why.
    void SignedOutUser(const std::wstring& sid, const std::wstring& folder) {
        const std::wstring file = folder + L"\\NTUSER.DAT", who = SignedOutUserOf(Cut(sid), Cut(folder));
        std::unique_ptr<LoadedHive> hive;
        try {
            // A profile without a local folder's name has no file of its own to load: none is searched for.
            if (!IsDrivePath(folder)) throw Failure(win::ErrorPathNotFound, file);
            hive = LoadRegistryFile(r_.s_, file, win::KeyRead);
        } catch (const Failure& f) {
            return r_.report.notes.push_back(ProfileUnread(who, f.Code(), r_.s_.env.ErrorText(f.Code())));
        }
        ReadUser({who, win::HKeyUsers, sid + L"\\", folder, file, hive.get()});
        r_.Guarded([&] { hive->Unload(); });
    }

    void WholeComputersProxy() {
        r_.Guarded([&] {
            const std::unique_ptr<RegistryKey> policy =
                OpenPlace(r_.s_.registry, {win::HKeyLocalMachine, ProxyPolicy}, win::KeyQueryValue);
            if (!policy || policy->ReadNumber(L"ProxySettingsPerUser") != 0u) return;
            if (!r_.s_.env.InDomain())
                r_.Add({.kind = FindingKind::ProxyLock,
                    .reset = L"reg delete \"HKLM\\" + std::wstring(ProxyPolicy) + L"\" /v ProxySettingsPerUser /f"});
            InternetOptions({win::HKeyLocalMachine, InternetSettings}, WholeComputer, false);
        });
    }

    // A proxy for every page and an auto-config script, in each connection's value that browsers
    // read, then in the old mirrors; undone only where a user's points here.
    void InternetOptions(const KeyPlace& place, const std::wstring& who, bool perUser, LoadedHive* file = nullptr) {
        // A signed-out user's keys are in their registry file, loaded.
        const auto open = [&](const KeyPlace& at) {
            return file ? file->Open(InUserFile(at.path), win::KeyQueryValue)
                        : OpenPlace(r_.s_.registry, at, win::KeyQueryValue);
        };
        r_.Guarded([&] {
            const KeyPlace connections{place.root, place.path + Connections, place.file};
            const std::unique_ptr<RegistryKey> key = open(connections);
            // The whole computer's key holds WinHTTP's value beside them, in a layout of its own.
            for (const std::wstring& name : key ? key->ValueNames() : std::vector<std::wstring>{})
                if (const std::optional<RegistryValue> value =
                        name == WinHttpSettings ? std::nullopt : key->Read(name, ValueCap))
                    Connection(connections, name, *value, ConnectionOf(who, Cut(name)), perUser);
        });
        r_.Guarded([&] {
            const std::unique_ptr<RegistryKey> key = open(place);
            if (!key) return;
            const std::optional<RegistryValue> enable = key->Read(ProxyEnable, ValueCap),
                                               server = key->Read(ProxyServer, ValueCap),
                                               script = key->Read(AutoConfigUrl, ValueCap);
            const std::wstring proxy = RegistryKey::TextValue(server).value_or(L""),
                               url = RegistryKey::TextValue(script).value_or(L"");
            if (RegistryKey::NumberValue(enable).value_or(0) != 0 && !proxy.empty()) {
                const bool undo = perUser && ProxyToThisComputer(proxy);
                r_.Add({.kind = FindingKind::Proxy,
                    .where = who,
                    .value = Cut(proxy),
                    .reset = InternetOptionsReset,
                    .undo = undo ? std::optional(
                                       Undo{Undo::ProxyOff, place, {{ProxyEnable, *enable}, {ProxyServer, *server}}})
                                 : std::nullopt});
            }
            if (url.empty()) return;
            const bool undo = perUser && ScriptOnThisComputer(url);
            r_.Add({.kind = FindingKind::Pac,
                .where = who,
                .value = Cut(url),
                .reset = InternetOptionsReset,
                .undo = undo ? std::optional(Undo{Undo::ScriptOff, place, {{AutoConfigUrl, *script}}}) : std::nullopt});
        });
    }

    // A value whose layout is not WinINET's is not one of its connections; one cut short is damaged.
    // The value's proxy and script are switched off together, where either points here.
    void Connection(const KeyPlace& place, const std::wstring& name, const RegistryValue& value,
        const std::wstring& where, bool perUser) {
        if (value.type != win::RegBinary) return;
        const ConnectionSettings settings = DecodeConnectionSettings(value.bytes);
        if (settings.damaged) {
            r_.Add({.kind = FindingKind::Proxy,
                .where = where,
                .value = ConnectionDamaged(Cut(name)),
                .reset = InternetOptionsReset,
                .damaged = true});
            return;
        }
        const std::wstring proxy = r_.s_.cp.ToWide(settings.proxy), script = r_.s_.cp.ToWide(settings.script);
        const bool proxyOn = (settings.flags & ConnectionSettings::Proxy) && !proxy.empty(),
                   scriptOn = (settings.flags & ConnectionSettings::Script) && !script.empty();
        const bool proxyHere = perUser && proxyOn && ProxyToThisComputer(proxy),
                   scriptHere = perUser && scriptOn && ScriptOnThisComputer(script);
        const Undo undo{Undo::ConnectionOff, place, {{name, value}}};  // carried by the finding that is here
        if (proxyOn)
            r_.Add({.kind = FindingKind::Proxy,
                .where = where,
                .value = Cut(proxy),
                .reset = InternetOptionsReset,
                .undo = proxyHere ? std::optional(undo) : std::nullopt});
        if (scriptOn)
            r_.Add({.kind = FindingKind::Pac,
                .where = where,
                .value = Cut(script),
                .reset = InternetOptionsReset,
                .undo = scriptHere && !proxyHere ? std::optional(undo) : std::nullopt});
    }

    PlaceReader& r_;
};

}  // namespace

void ReadUsers(PlaceReader& reader) { UserReader(reader).Read(); }
