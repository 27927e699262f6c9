#include "lookup/BrowserPolicies.h"

#include <span>
#include <string>
#include <string_view>

#include "hosts/KnownSites.h"
#include "lookup/LookupMessages.h"
#include "lookup/Places.h"

namespace {

// Each browser that reads Chromium's policies: its key under SOFTWARE\Policies, its name.
constexpr std::pair<std::wstring_view, std::wstring_view> Browsers[] = {{L"Google\\Chrome", L"Google Chrome"},
    {L"Microsoft\\Edge", L"Microsoft Edge"}, {L"YandexBrowser", L"Яндекс Браузер"}, {L"Chromium", L"Chromium"},
    {L"BraveSoftware\\Brave", L"Brave"}, {L"Vivaldi", L"Vivaldi"}};

// The policies that send pages or names elsewhere; ProxySettings holds the others as a JSON text.
constexpr std::wstring_view ProxyAndDns[] = {L"ProxyMode", L"ProxyServerMode", L"ProxyServer", L"ProxyPacUrl",
    L"ProxySettings", L"DnsOverHttpsMode", L"DnsOverHttpsTemplates"};
// Firefox's, in keys of their own under its policies' key.
constexpr std::wstring_view FirefoxProxyPolicies[] = {
    L"Mode", L"HTTPProxy", L"SSLProxy", L"SOCKSProxy", L"AutoConfigURL"};
constexpr std::wstring_view FirefoxDohPolicies[] = {L"Enabled", L"ProviderURL"};

// A policy value as text; nothing for one that changes nothing: the system's proxy (Chromium's
// default), DNS over HTTPS other than required (the templates are named on their own) or switched off.
std::optional<std::wstring> Meaningful(std::wstring_view name, const RegistryValue& value) {
    std::wstring text;
    if (const std::optional<std::wstring> s = RegistryKey::TextValue(value)) text = *s;
    else if (const std::optional<std::uint32_t> n = RegistryKey::NumberValue(value)) text = std::to_wstring(*n);
    if (text.empty() || ((name == L"ProxyMode" || name == L"Mode") && text == L"system") ||
        (name == L"ProxyServerMode" && text == L"3") || (name == L"DnsOverHttpsMode" && text != L"secure") ||
        (name == L"Enabled" && text == L"0"))
        return std::nullopt;
    return text;
}

// A list policy's entries, as Chromium reads them: "1", "2"... up to the first missing.
std::vector<std::pair<std::wstring, RegistryValue>> ListEntries(RegistryKey& key) {
    std::vector<std::pair<std::wstring, RegistryValue>> entries;
    for (std::size_t n = 1;; ++n) {
        std::optional<RegistryValue> value = key.Read(std::to_wstring(n), ValueCap);
        if (!value) return entries;
        entries.emplace_back(std::to_wstring(n), std::move(*value));
    }
}

struct PolicyReader {
    PlaceReader& r;
    const Opener open;
    const std::wstring who;
    const std::function<KeyPlace(const std::wstring&)> place;
    const std::wstring hive;  // as `reg` names the root: HKLM, HKCU, HKU\SID
    const bool managed;

    std::wstring Delete(const std::wstring& key, const std::wstring& value) const {
        return L"reg delete \"" + hive + L"\\" + key + L"\"" + (value.empty() ? L"" : L" /v " + value) + L" /f";
    }

    // A browser without a key of its own here has no list either.
    void Browser(const std::wstring& key, const std::wstring& where) {
        if (Values(key, where, ProxyAndDns)) Lists(key, where);
    }

    // Those of `names` that are set, each a finding; whether the key is there.
    bool Values(const std::wstring& key, const std::wstring& where, std::span<const std::wstring_view> names) {
        bool found = false;
        r.Guarded([&] {
            const std::unique_ptr<RegistryKey> policies = open(key, win::KeyQueryValue);
            found = policies != nullptr;
            for (const std::wstring_view name : found ? names : std::span<const std::wstring_view>{}) {
                const std::optional<RegistryValue> value = policies->Read(std::wstring(name), ValueCap);
                const std::optional<std::wstring> text = value ? Meaningful(name, *value) : std::nullopt;
                if (!text) continue;
                r.Add({.kind = FindingKind::BrowserPolicy,
                    .where = where,
                    .value = std::wstring(name),
                    .besides = Cut(*text),
                    .reset = managed ? ManagedPolicy(Delete(key, std::wstring(name))) : L"",
                    .undo = managed
                                ? std::nullopt
                                : std::optional(Undo{Undo::PolicyOff, place(key), {{std::wstring(name), *value}}})});
            }
        });
        return found;
    }

    void Lists(const std::wstring& key, const std::wstring& where) {
        List(key + L"\\" + UrlBlocklist, where,
            [&](const std::wstring& entry) { return !managed && BlocksProtection(r.s_.cp.ToAnsi(entry)); });
        List(key + L"\\" + ForcedExtensions, where, [](const std::wstring&) { return false; });
    }

    // A list's entries, each a finding; those `undone` says are freed together, the rest renumbered.
    void List(
        const std::wstring& key, const std::wstring& where, const std::function<bool(const std::wstring&)>& undone) {
        r.Guarded([&] {
            const std::unique_ptr<RegistryKey> list = open(key, win::KeyQueryValue);
            if (!list) return;
            const auto entries = ListEntries(*list);
            const std::wstring name = key.substr(key.rfind(L'\\') + 1);
            const bool blocklist = name == UrlBlocklist;
            for (const auto& [n, value] : entries) {
                const std::wstring text = RegistryKey::TextValue(value).value_or(L"");
                const bool undo = undone(text);
                r.Add({.kind = FindingKind::BrowserPolicy,
                    .where = where,
                    .value = name + L" " + n,
                    .besides = Cut(text),
                    .reset = !blocklist ? ForcedExtension(Delete(key, n))
                             : managed  ? ManagedPolicy(Delete(key, L""))
                                        : OtherSiteBlocked(Delete(key, L"")),
                    .undo = undo ? std::optional(Undo{Undo::BlockListFreed, place(key), entries}) : std::nullopt});
            }
        });
    }
};

}  // namespace

bool Managed(PlaceReader& reader) {
    const std::size_t notes = reader.report.notes.size();
    bool managed = true;
    reader.Guarded([&] { managed = reader.s_.env.InDomain(); });
    if (managed) return true;
    reader.EachSubKey(reader.ControlSet(), EntraJoin, [&](const std::wstring&, RegistryKey&) { managed = true; });
    reader.EachSubKey(reader.Machine(), Enrollments, [&](const std::wstring&, RegistryKey& key) {
        managed = managed || (key.ReadNumber(L"EnrollmentState") == 1u &&
                                 !key.ReadText(L"ProviderID", ValueCap).value_or(L"").empty());
    });
    return managed || reader.report.notes.size() > notes;
}

void ReadBrowserPolicies(PlaceReader& reader, const User* user, bool managed) {
    PolicyReader policies{reader, user ? reader.Of(*user) : reader.Machine(), user ? user->who : WholeComputer,
        [user](const std::wstring& path) {
            return user ? user->Key(path) : KeyPlace{win::HKeyLocalMachine, path};
        },
        !user                                ? L"HKLM"
        : user->root == win::HKeyCurrentUser ? L"HKCU"
                                             : L"HKU\\" + user->prefix.substr(0, user->prefix.size() - 1),
        managed};
    for (const auto& [key, name] : Browsers)
        policies.Browser(PoliciesRoot + std::wstring(key), std::wstring(name) + L", " + policies.who);
    const std::wstring firefox = PoliciesRoot + std::wstring(L"Mozilla\\Firefox"), where = L"Firefox, " + policies.who;
    if (policies.Values(firefox, where, {})) {
        policies.Values(firefox + L"\\Proxy", where, FirefoxProxyPolicies);
        policies.Values(firefox + L"\\DNSOverHTTPS", where, FirefoxDohPolicies);
    }
}
