#include "lookup/FirefoxProfiles.h"

#include <optional>
#include <string_view>

#include "app/Ascii.h"
#include "app/Codepage.h"
#include "hosts/HostsCopies.h"
#include "lookup/FirefoxPrefs.h"
#include "lookup/LookupMessages.h"
#include "lookup/Places.h"

namespace {

// Far beyond any profile's prefs.js, policies.json or profiles.ini.
constexpr std::size_t FileCap = std::size_t{8} << 20;

// A file's bytes; nothing when it is not there.
std::optional<std::string> ReadWhole(FileSystem& files, const std::wstring& path) {
    std::string bytes;
    const bool found = files.ReadOrdinaryFile(path, [&](std::string_view chunk) {
        if (bytes.size() + chunk.size() > FileCap) throw Failure(win::ErrorFileTooLarge, path);
        bytes += chunk;
    });
    return found ? std::optional(bytes) : std::nullopt;
}

// Firefox's proxy as its settings name it: the servers of a manual one, its script, or the search
// for one on the network.
std::wstring ProxyWords(const FirefoxNetwork& n) {
    if (n.proxyType == 2) return FirefoxScript + FromUtf8(n.autoconfigUrl);
    if (n.proxyType == 4) return std::wstring(FirefoxDetect);
    std::wstring servers;
    for (const auto& [scheme, server] : {std::pair{L"HTTP ", &n.http}, {L"SSL ", &n.ssl}, {L"SOCKS ", &n.socks}})
        if (!server->empty()) servers += (servers.empty() ? L"" : L", ") + (scheme + FromUtf8(*server));
    return servers;
}

// The roaming application data of Vista and later, then XP's.
std::vector<std::wstring> AppDataOf(const Platform& s, const User& user) {
    if (user.folder.empty()) return {s.env.UserAppData()};
    return {user.folder + L"\\AppData\\Roaming", user.folder + L"\\Application Data"};
}

struct ProfileReader {
    PlaceReader& r;
    const std::wstring who;

    void Profile(const std::wstring& folder) {
        std::optional<FirefoxPrefs> prefs[2];
        r.Guarded([&] {
            for (const auto& [at, name] : {std::pair{0, L"prefs.js"}, {1, L"user.js"}}) {
                const std::optional<std::string> bytes = ReadWhole(r.s_.files, folder + L"\\" + name);
                prefs[at] = bytes ? ParsePrefs(*bytes) : FirefoxPrefs{};
                for (const std::size_t line : prefs[at]->damaged)
                    r.report.notes.push_back(PrefsLineUnread(Cut(folder + L"\\" + name), line));
            }
        });
        if (!prefs[0] || !prefs[1]) return;
        const FirefoxNetwork network = NetworkOf(*prefs[0], *prefs[1]);
        const std::wstring where = who + L", " + Cut(folder);
        if (ProxySet(network)) {
            const bool here = FirefoxProxyHere(network);
            bool running = false;
            if (here) r.Guarded([&] { running = r.s_.files.InUse(folder + L"\\parent.lock"); });
            r.Add({.kind = FindingKind::Firefox,
                .where = where,
                .value = Cut(ProxyWords(network)),
                .besides = FirefoxProxy,
                .reset = here ? FirefoxRunning : ResetWords(FirefoxProxyReset),
                .undo = here && !running ? std::optional(Undo{.action = Undo::FirefoxProxyOff, .profile = folder})
                                         : std::nullopt});
        }
        if (DohSet(network))
            r.Add({.kind = FindingKind::Firefox,
                .where = where,
                .value = Cut(FromUtf8(network.trrUri)),
                .besides = FirefoxDoh(network.trrMode),
                .reset = ResetWords(FirefoxDohReset)});
    }
};

// The installation folders the registry names, of 64-bit and 32-bit Firefox.
std::vector<std::wstring> InstallFolders(PlaceReader& r) {
    std::vector<std::wstring> folders;
    for (const wchar_t* key :
        {L"SOFTWARE\\Mozilla\\Mozilla Firefox", L"SOFTWARE\\WOW6432Node\\Mozilla\\Mozilla Firefox"})
        r.Guarded([&] {
            const std::unique_ptr<RegistryKey> firefox = r.Machine()(key, win::KeyQueryValue);
            const std::wstring version = firefox ? firefox->ReadText(L"CurrentVersion", ValueCap).value_or(L"") : L"";
            const std::unique_ptr<RegistryKey> main =
                version.empty() ? nullptr : r.Machine()(key + (L"\\" + version) + L"\\Main", win::KeyQueryValue);
            std::wstring folder = main ? main->ReadText(L"Install Directory", ValueCap).value_or(L"") : L"";
            while (folder.ends_with(L'\\')) folder.pop_back();
            if (IsDrivePath(folder)) AddOnce(folders, folder);
        });
    return folders;
}

}  // namespace

void ReadFirefoxProfiles(PlaceReader& reader, const User& user) {
    ProfileReader profiles{reader, user.who};
    reader.Guarded([&] {
        for (const std::wstring& appData : AppDataOf(reader.s_, user)) {
            const std::wstring firefox = appData + L"\\Mozilla\\Firefox";
            const std::optional<std::string> ini = ReadWhole(reader.s_.files, firefox + L"\\profiles.ini");
            if (!ini) continue;
            for (const std::wstring& folder : ProfileFolders(*ini, firefox)) profiles.Profile(folder);
            return;
        }
    });
}

void ReadFirefoxInstallation(PlaceReader& reader) {
    for (const std::wstring& folder : InstallFolders(reader)) {
        reader.Guarded([&] {
            const std::wstring file = folder + L"\\distribution\\policies.json";
            const std::optional<std::string> json = ReadWhole(reader.s_.files, file);
            for (const char* policy : {"Proxy", "DNSOverHTTPS"})
                if (json && json->find("\"" + std::string(policy) + "\"") != std::string::npos)
                    reader.Add({.kind = FindingKind::Firefox,
                        .where = Cut(file),
                        .value = std::wstring(policy, policy + std::char_traits<char>::length(policy)),
                        .besides = FirefoxPolicy,
                        .reset = ResetWords(FirefoxPolicyReset)});
        });
        reader.Guarded([&] {
            const std::wstring prefs = folder + L"\\defaults\\pref\\";
            for (const FoundFile& found : reader.s_.files.Find(prefs + L"*.js")) {
                const std::optional<std::string> bytes = ReadWhole(reader.s_.files, prefs + found.name);
                for (const FirefoxPref& pref : bytes ? ParsePrefs(*bytes).prefs : std::vector<FirefoxPref>{})
                    if (pref.name == "general.config.filename")
                        reader.Add({.kind = FindingKind::Firefox,
                            .where = Cut(prefs + found.name),
                            .value = Cut(folder + L"\\" + FromUtf8(pref.value)),
                            .besides = FirefoxAutoconfig,
                            .reset = ResetWords(FirefoxAutoconfigReset(Cut(prefs + found.name)))});
            }
        });
    }
}

std::vector<std::wstring> TakeProxyOutOfProfile(const Platform& s, const std::wstring& profile) {
    const std::wstring lock = profile + L"\\parent.lock";
    if (s.files.InUse(lock)) throw Failure(win::ErrorSharingViolation, lock);
    std::vector<std::wstring> copies;
    for (const wchar_t* name : {L"prefs.js", L"user.js"}) {
        const std::wstring path = profile + L"\\" + name;
        const std::optional<std::string> bytes = ReadWhole(s.files, path);
        const std::string kept = bytes ? WithoutProxy(*bytes) : std::string();
        if (!bytes || kept == *bytes) continue;
        const LocalTime now = s.clock.Now();
        copies.push_back(WriteStamped(s.files, path, now, L".bak", *bytes));
        const std::wstring made = WriteStamped(s.files, path, now, L".new", kept);
        try {
            s.files.Replace(made, path);
        } catch (const Failure&) {
            Quietly([&] { s.files.Delete(made); });
            throw;
        }
    }
    return copies;
}
