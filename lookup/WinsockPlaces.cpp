#include "lookup/WinsockPlaces.h"

#include <optional>
#include <set>

#include "app/Ascii.h"
#include "lookup/LookupMessages.h"
#include "lookup/PlaceReader.h"
#include "lookup/Places.h"

namespace {

constexpr std::size_t MaxPath = 260;

// Whether `path` lies in `folder` or below it (letter case aside).
bool Below(const std::wstring& path, const std::wstring& folder) {
    return AsciiLower(path).starts_with(AsciiLower(folder) + L"\\");
}

class WinsockReader {
public:
    explicit WinsockReader(PlaceReader& reader) : r_(reader) {}

    // The DLLs Windows loads for the protocol and namespace providers, each once: one whose file
    // is not there, wherever its path points, and one outside the system folder, with its signer.
    // Paths are expanded as Windows' own services expand them. A namespace entry switched off
    // (Enabled 0) is never loaded; protocol entries have no such switch: they are there or removed.
    void Read() {
        std::set<std::wstring> seen;
        for (const int bits : {32, 64}) {
            const std::wstring entries = bits == 32 ? L"Catalog_Entries" : L"Catalog_Entries64";
            r_.EachSubKey(r_.ControlSet(), WinsockProtocols + entries, [&](const std::wstring&, RegistryKey& key) {
                if (const std::optional<RegistryValue> packed = key.Read(L"PackedCatalogItem", ValueCap))
                    WinsockDll(r_.s_.cp.ToWide(CatalogDllPath(packed->bytes)), bits, L"netsh winsock reset", seen);
            });
            const std::wstring namespaces = WinsockNamespaces + entries;
            r_.EachSubKey(r_.ControlSet(), namespaces, [&](const std::wstring& name, RegistryKey& key) {
                if (key.ReadNumber(L"Enabled") == 0u) return;
                const bool running = !IsOtherInstallation(r_.s_, r_.windows_->WindowsFolder());
                WinsockDll(key.ReadText(L"LibraryPath", ValueCap).value_or(L""), bits,
                    NamespaceRemoval(running ? L"HKLM\\SYSTEM\\CurrentControlSet\\" + namespaces + L"\\" + name : L""),
                    seen);
            });
        }
    }

    // One provider's DLL, judged by the file that Windows loads.
    void WinsockDll(const std::wstring& path, int bits, const std::wstring& reset, std::set<std::wstring>& seen) {
        const std::wstring dll = r_.windows_->Expanded(path);
        if (dll.empty() || !seen.insert(AsciiLower(dll) + (bits == 64 ? L" 64" : L"")).second) return;
        const bool inSystem = InSystemFolder(dll, r_.windows_->WindowsFolder() + L"\\System32");
        const std::optional<std::wstring> file = ProviderFile(dll, bits);
        std::wstring verdict;
        if (file && !r_.s_.files.Attributes(*file)) verdict = ProviderMissing;
        else if (inSystem) return;
        else verdict = OutsideSystemFolder + (file ? SignatureWords(*file) : FileUnchecked);
        r_.Add({.kind = FindingKind::Winsock,
            .where = bits == 64 ? Provider64 : L"",
            .value = Cut(dll),
            .besides = verdict,
            .reset = reset});
    }

    // Where this run finds the file a `bits`-bit process loads: the running Windows' system folder
    // as WOW64 lets this process reach it; in another installation only what lies in its own
    // folder, its 32-bit programs' system folder in SysWOW64 where it has one (a 64-bit Windows).
    // Nothing for a path it cannot look at: a bare name, which is searched for; a share, whose
    // server malware may have chosen; another installation's other drives, whose letters are not
    // this Windows'.
    std::optional<std::wstring> ProviderFile(const std::wstring& dll, int bits) {
        const std::wstring windows = r_.windows_->WindowsFolder(), system = windows + L"\\System32";
        const bool underSystem = Below(dll, system);
        if (!IsDrivePath(dll)) return std::nullopt;
        if (IsOtherInstallation(r_.s_, windows)) {
            if (!Below(dll, windows)) return std::nullopt;
            const std::wstring wow64 = windows + L"\\SysWOW64";
            if (bits == 32 && underSystem && r_.s_.files.Attributes(wow64)) return wow64 + dll.substr(system.size());
            return dll;
        }
        if (!underSystem) return dll;
        const std::wstring reached = r_.s_.env.SystemFolderOf(bits);
        if (reached.empty() && unreached_.insert(bits).second) r_.report.notes.push_back(SystemFolderUnreached(bits));
        if (reached.empty()) return std::nullopt;
        return reached + dll.substr(system.size());
    }

    // What Windows says of the signature the file carries; a check that cannot run is told too.
    std::wstring SignatureWords(const std::wstring& file) {
        try {
            const Signature signature = r_.s_.files.SignatureOf(file);
            if (signature.status == 0) return SignedBy(Cut(signature.signer));
            if (signature.status == win::TrustNoSignature) return NoOwnSignature;
            return SignatureNotVerified(signature.status, r_.s_.env.ErrorText(signature.status));
        } catch (const Failure& f) {
            return SignatureUnchecked(f.Code(), r_.s_.env.ErrorText(f.Code()));
        }
    }

private:
    PlaceReader& r_;
    std::set<int> unreached_;  // the system folders this process cannot reach, each noted once
};

}  // namespace

void ReadWinsock(PlaceReader& reader) { WinsockReader(reader).Read(); }

std::string CatalogDllPath(std::string_view packed) {
    packed = packed.substr(0, MaxPath);
    return std::string(packed.substr(0, packed.find('\0')));
}

bool InSystemFolder(std::wstring_view path, std::wstring_view systemDir) {
    // A bare name is searched for: never in it.
    return AsciiLower(path.substr(0, path.rfind(L'\\'))) == AsciiLower(systemDir);
}
