#pragma once
// One recording stand-in for everything the logic asks of the platform. Every call is one
// entry in a single journal, so a test sees the order of events across files, messages and
// system calls. A call whose entry is listed in `fail` fails with that error code: file and
// process operations throw it, the Win32-style calls answer FALSE and leave it as the last
// error (ERROR_NOT_ALL_ASSIGNED, as Windows does, with success).
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <set>
#include <sstream>

#include "app/Platform.h"
#include "forms/Form1/HostsRepair.h"
#include "hosts/StockHosts.h"

using Journal = std::vector<std::wstring>;
inline Journal operator+(Journal a, const Journal& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
using Files = std::map<std::wstring, std::string>;

// An ANSI argument as the journal shows it, telling a null pointer from the empty text.
inline std::wstring Ansi(const char* s) { return s ? L"\"" + std::wstring(s, s + std::strlen(s)) + L"\"" : L"null"; }
// The words of a journal entry joined by spaces; numbers in decimal.
template <class... W>
std::wstring Entry(const W&... words) {
    std::wostringstream entry;
    const wchar_t* space = L"";
    ((entry << space << words, space = L" "), ...);
    return entry.str();
}
inline std::wstring Msg(unsigned style, std::wstring_view title, std::wstring_view prompt) {
    return Entry(L"msg", style, L"[" + std::wstring(title) + L"]", prompt);
}

// A name of the tests' registry, all ASCII; a key's path as the start of those under it.
inline std::string Ascii(std::wstring_view name) { return std::string(name.begin(), name.end()); }
inline std::wstring Wide(std::string_view name) { return std::wstring(name.begin(), name.end()); }
inline std::string Under(const std::string& path) { return path.empty() ? path : path + "\\"; }

inline const LocalTime Stamp{2024, 1, 2, 3, 4, 5, -210};
inline constexpr std::uint32_t Plain = 0x20;  // FILE_ATTRIBUTE_ARCHIVE, what a new file has

// UTF-16 bytes, as the registry's Unicode calls hold text.
inline std::string Utf16(std::wstring_view text) {
    std::string bytes;
    for (wchar_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return bytes + std::string(2, '\0');
}

struct FakeSystem final : FileSystem,
                          MessageBoxUi,
                          RepairWindows,
                          Environment,
                          Clock,
                          Processes,
                          RebootCalls,
                          Registry,
                          FileLookup,
                          Shell,
                          Console,
                          EventLog,
                          DllSearchCalls {
    Journal log;
    std::map<std::wstring, std::uint32_t> fail;
    std::map<std::wstring, int> failTimes;  // how often an entry of `fail` fails before it works; unset: always
    Files files;                            // also what the file lookup finds
    std::map<std::wstring, std::uint32_t> attributes;  // of the files that are not Plain
    std::set<std::wstring> folders{L"C:\\WINDOWS\\System32", L"c:\\windows\\System32", L"D:\\W\\System32",
        L"E:\\W\\System32"};  // of the Windows the tests name
    FileFacts appended;       // what a file opened to append to is
    std::deque<Answer> answers;
    std::wstring windowsDir = L"C:\\WINDOWS";
    std::wstring view;
    std::uint32_t platformId = 1, lastError = 0;  // 9x; NT is 2, and 0 fails the version query
    // The registry: each key's path and its values; under HKEY_LOCAL_MACHINE as it is, under the
    // other roots after "HKCU\\" or "HKU\\".
    using Keys = std::map<std::string, std::map<std::string, RegistryValue>>;
    Keys keys;
    std::map<std::wstring, Keys> hives;        // registry files, by path
    bool appHives = false;                     // Windows loads them privately (Vista and later)
    std::optional<std::uint32_t> queryStatus;  // what every Unicode read fails with, when set
    bool replaceTakesEffect = false;           // a failing replace moves the file all the same
    std::set<std::wstring> held;               // files another program holds open
    std::vector<FileHolder> holders;           // what the Restart Manager names
    std::vector<PendingMove> pending;          // what Windows moves at its next start
    bool desktopShell = true, console = true, defaultDllDirectories = true, inDomain = false;
    TokenRights rights{true, true};
    std::size_t consoleLines = SIZE_MAX;  // lines the console takes before it fails
    Journal out;                          // what was written to the console

    std::uint32_t unregistered = 0;  // why the event source could not be registered; 0: it is

    Platform Get() {
        return {*this, *this, *this, *this, *this, *this, *this, *this, *this, *this, *this, Windows1251()};
    }

    // Journals a file or process operation, which throws when listed in `fail`.
    template <class... W>
    void Call(const W&... words) {
        log.push_back(Entry(words...));
        const std::wstring& e = log.back();
        if (fail.count(e) && (!failTimes.count(e) || failTimes[e]-- > 0)) throw Failure(fail[e], e);
    }
    // Journals a Win32-style call: TRUE, or FALSE with the last error when listed in `fail`.
    template <class... W>
    std::int32_t Answer32(const W&... words) {
        log.push_back(Entry(words...));
        lastError = fail.count(log.back()) ? fail[log.back()] : 0;
        return lastError == 0 || lastError == win::ErrorNotAllAssigned;
    }

    // Files come in pieces of 7 bytes, so that every rule meets the edges of pieces.
    bool ReadChunks(const std::wstring& path, const std::function<void(std::string_view)>& chunk) override {
        Call(L"read", path);
        return Deliver(path, chunk);
    }
    bool ReadOrdinaryFile(const std::wstring& path, const std::function<void(std::string_view)>& chunk) override {
        Call(L"ordinary read", path);
        return Deliver(path, chunk);
    }
    bool Deliver(const std::wstring& path, const std::function<void(std::string_view)>& chunk) {
        if (!files.count(path)) return false;
        const std::string bytes = files[path];
        for (std::size_t at = 0; at < bytes.size(); at += 7) chunk(std::string_view(bytes).substr(at, 7));
        return true;
    }
    // Pulled in pieces of 7 bytes too.
    std::unique_ptr<InputFile> OpenToRead(const std::wstring& path) override {
        struct Input final : InputFile {
            explicit Input(std::string bytes) : bytes(std::move(bytes)) {}
            std::string_view Read() override {
                const std::string_view piece = std::string_view(bytes).substr(at, 7);
                at += piece.size();
                return piece;
            }
            std::string bytes;
            std::size_t at = 0;
        };
        Call(L"open to read", path);
        return files.count(path) ? std::make_unique<Input>(files[path]) : nullptr;
    }
    std::map<std::wstring, FileFacts> facts;  // what a name is where Attributes does not tell: a link, two names
    std::optional<FileFacts> Facts(const std::wstring& path) override {
        if (facts.count(path)) return facts[path];
        return Attributes(path) ? std::optional(FileFacts{*Attributes(path)}) : std::nullopt;
    }
    void ProbeReplaceable(const std::wstring& path) override { Call(L"probe", path); }
    bool InUse(const std::wstring& path) override { return held.count(path); }
    std::vector<FileHolder> Holders(const std::wstring&) override { return holders; }
    void MoveAtRestart(const std::wstring& from, const std::wstring& to, bool replace) override {
        Call(L"at restart", from, (replace ? L"!" : L"") + to);
        pending.push_back({from, to});
    }
    std::vector<PendingMove> PendingMoves() override { return pending; }
    std::vector<FoundFile> Find(const std::wstring& pattern) override {  // one '*' in it
        std::vector<FoundFile> found;
        const std::size_t star = pattern.find(L'*');
        for (const auto& [path, bytes] : files)
            if (path.starts_with(pattern.substr(0, star)) && path.ends_with(pattern.substr(star + 1)))
                found.push_back({path.substr(path.rfind(L'\\') + 1), bytes.size()});
        return found;
    }
    std::unique_ptr<OutputFile> CreateNew(const std::wstring& path) override {
        Call(L"create", path);
        if (files.count(path)) throw Failure(win::ErrorFileExists, path);
        files[path].clear();
        return std::make_unique<File>(*this, path);
    }
    void Replace(const std::wstring& from, const std::wstring& to) override {
        const auto move = [&] {
            files[to] = files.at(from);
            files.erase(from);
            attributes.erase(to);
        };
        if (replaceTakesEffect && fail.count(L"replace " + to)) move();
        Call(L"replace", to);
        move();
    }
    bool Delete(const std::wstring& path) override {
        Call(L"delete", path);
        if (open_.count(path)) throw Failure(32, path);  // a sharing violation, as on Windows
        attributes.erase(path);
        return files.erase(path) > 0;
    }
    std::optional<std::uint32_t> Attributes(const std::wstring& path) override {
        if (folders.count(path)) return win::FileAttributeDirectory;
        if (hives.count(path)) return Plain;
        if (!files.count(path)) return std::nullopt;
        return attributes.count(path) ? attributes[path] : Plain;
    }
    void SetAttributes(const std::wstring& path, std::uint32_t value) override {
        Call(L"attributes", path, value);
        attributes[path] = value;
    }
    std::unique_ptr<OutputFile> OpenToAppend(const std::wstring& path, FileFacts& facts) override {
        Call(L"append", path);
        facts = appended;
        return std::make_unique<File>(*this, path);
    }

    // Administrators' alone where a test sets nothing else; this run may change the files of a
    // share listed in `writable`, with any right.
    std::map<std::wstring, Permissions> permissions;
    std::set<std::wstring> writable;
    Permissions PermissionsOf(const std::wstring& path) override {
        Call(L"permissions", path);
        if (permissions.count(path)) return permissions[path];
        return std::vector{AccessEntry{L"S-1-5-32-544", L"BUILTIN\\Administrators", win::GenericAll}};
    }
    bool MayOpen(const std::wstring& path, std::uint32_t access) override {
        Call(L"may open", path, access);
        return writable.count(path) > 0;
    }

    Answer MsgBox(std::wstring_view prompt, unsigned style, std::wstring_view title) override {
        log.push_back(Msg(style, title, prompt));
        const Answer a = answers.at(0);  // a message the script did not expect ends the test
        answers.pop_front();
        return a;
    }
    void ShowHostsView(std::wstring text) override {
        Call(L"view");
        view = std::move(text);
    }
    void UnloadMainWindow() override { Call(L"unload main"); }
    void UnloadAboutDialog() override { Call(L"unload about"); }
    std::wstring WindowsDirectory() override { return windowsDir; }
    std::wstring SystemDirectory() override { return L"C:\\WINDOWS\\system32"; }
    std::wstring ComputerName() override { return L"PC-7"; }
    bool InDomain() override {
        Call(L"join information");
        return inDomain;
    }
    std::wstring UserAppData() override {
        Call(L"app data");
        return L"C:\\Users\\me\\AppData\\Roaming";
    }
    std::wstring ErrorText(std::uint32_t code) override { return L"text of " + std::to_wstring(code); }
    std::wstring system64;  // how this process reaches the 64-bit system folder: a 32-bit Windows has none
    std::wstring SystemFolderOf(int bits) override { return bits == 32 ? SystemDirectory() : system64; }
    std::map<std::wstring, Signature> signatures;  // of the files that carry one
    Signature SignatureOf(const std::wstring& path) override {
        Call(L"signature", path);
        return signatures.count(path) ? signatures[path] : Signature{win::TrustNoSignature};
    }
    LocalTime Now() override { return Stamp; }
    void Sleep(unsigned milliseconds) override { Call(L"sleep", milliseconds); }
    void Start(const std::wstring& application, const std::wstring& commandLine, int showCommand) override {
        Call(L"start", application, L"|", commandLine, showCommand);
    }
    std::uint32_t RunHidden(
        const std::wstring& application, const std::wstring& commandLine, unsigned seconds) override {
        Call(L"run", application, L"|", commandLine, seconds);
        return 0;
    }
    std::uint32_t CurrentProcessId() override { return 7; }
    TokenRights Rights() override { return rights; }

    bool OpenAsDesktopUser(const std::wstring& address) override {
        Call(L"open as the desktop's user", address);
        return desktopShell;
    }
    bool Available() override { return console; }
    void WriteLine(std::wstring_view line) override {
        if (out.size() == consoleLines) throw Failure(232, L"stdout");  // ERROR_NO_DATA: the pipe was closed
        out.emplace_back(line);
    }

    // An entry of the event log, journalled as "event TYPE ID TEXT".
    std::uint32_t Report(std::uint16_t type, std::uint32_t id, std::wstring_view text) override {
        Call(L"event", type, id, text);
        return unregistered;
    }

    std::int32_t GetVersionExA(OsVersionInfo& info) override {
        Call(L"GetVersionExA", info.size);
        info.platformId = platformId;
        return platformId != 0;
    }
    Handle GetCurrentProcess() override { return 41; }
    std::int32_t OpenProcessToken(Handle process, std::uint32_t access, Handle& token) override {
        token = 77;
        return Answer32(L"OpenProcessToken", process, access);
    }
    std::int32_t LookupPrivilegeValueA(const char* systemName, const char* name, Luid& luid) override {
        luid = {0x89ABCDEF, -2};
        return Answer32(L"LookupPrivilegeValueA", Ansi(systemName), Ansi(name));
    }
    std::int32_t AdjustTokenPrivileges(Handle token, std::int32_t disableAll, PrivilegeRecord& wanted,
        std::uint32_t length, PrivilegeRecord& previous, std::uint32_t& returnLength) override {
        const LuidAndAttributes& p = wanted.privileges[0];
        return Answer32(L"AdjustTokenPrivileges", token, disableAll, L"{", wanted.count, p.luid.low, p.luid.high,
            p.attributes, L"}", length, L"previous", previous.count, returnLength);
    }
    std::int32_t ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override {
        return Answer32(L"ExitWindowsEx", flags, reason);
    }
    std::uint32_t GetLastError() override { return lastError; }
    std::optional<std::int32_t> SetDefaultDllDirectories(std::uint32_t flags) override {
        return defaultDllDirectories ? std::optional(Answer32(L"SetDefaultDllDirectories", flags)) : std::nullopt;
    }
    std::optional<std::int32_t> SetDllDirectoryW(const wchar_t* folder) override {
        return Answer32(L"SetDllDirectoryW", folder ? L"\"" + std::wstring(folder) + L"\"" : L"null");
    }

    // An open key is handle 101 in the journal. Unicode opens and writes are journaled, ANSI calls
    // each with its answer; a failure listed in `fail` is the open's or the write's answer, and
    // ERROR_FILE_NOT_FOUND (a missing key or value) is nothing.
    std::unique_ptr<RegistryKey> Open(
        std::int32_t root, const std::wstring& path, std::uint32_t access, Names names) override {
        const bool ansi = names == Names::Ansi;
        const std::wstring rootName = root == win::HKeyCurrentUser ? L"HKCU" : root == win::HKeyUsers ? L"HKU" : L"";
        const std::wstring under = rootName.empty() ? path : path.empty() ? rootName : rootName + L"\\" + path;
        return OpenKey(keys, under, ansi, Entry(ansi ? L"open" : L"openW", root, path, access),
            (rootName.empty() ? L"HKLM" : rootName) + L"\\" + path);
    }
    std::unique_ptr<RegistryKey> OpenKey(
        Keys& in, const std::wstring& path, bool ansi, const std::wstring& entry, const std::wstring& place) {
        const bool found = std::any_of(in.begin(), in.end(), [&](const auto& key) {  // the key, or one under it
            return key.first == Ascii(path) || key.first.starts_with(Under(Ascii(path)));
        });
        const std::uint32_t status = fail.count(entry) ? fail[entry] : found ? 0 : 2;
        log.push_back(ansi ? Entry(entry, L"=", status) : entry);
        if (status && status != win::ErrorFileNotFound) throw Failure(status, place);
        return status ? nullptr : std::make_unique<Key>(*this, in, Ascii(path), ansi, place);
    }
    // As Windows does, a file that is not there is made (empty); one loaded is unloaded once,
    // only with every key in it closed.
    std::unique_ptr<LoadedHive> Load(const std::wstring& file) override {
        Call(L"load", file);
        if (!hives.count(file)) files[file];
        return std::make_unique<Hive>(*this, hives[file], file);
    }
    std::unique_ptr<LoadedHive> LoadPrivately(const std::wstring& file, std::uint32_t access) override {
        if (!appHives) return nullptr;
        Call(L"load privately", file, access);
        return std::make_unique<Hive>(*this, hives[file], file);
    }

    void InternetSettingsChanged() override { Call(L"internet settings changed"); }

    std::wstring FirstMatch(const std::wstring& pattern) override {
        Call(L"lookup", pattern);
        return files.count(pattern) ? pattern.substr(pattern.rfind(L'\\') + 1) : L"";
    }

private:
    struct Key final : RegistryKey {
        Key(FakeSystem& sys, Keys& keys, std::string path, bool ansi, std::wstring place)
            : sys(sys), keys(keys), path(std::move(path)), ansi(ansi), place(std::move(place)) {
            ++sys.openKeys_;
        }
        ~Key() override {
            sys.log.push_back(L"close 101");
            --sys.openKeys_;
        }
        // Larger than `cap`: ERROR_INSUFFICIENT_BUFFER.
        std::optional<RegistryValue> Read(const std::wstring& name, std::uint32_t cap) override {
            const auto value = keys[path].find(Ascii(name));
            const std::uint32_t status = !ansi && sys.queryStatus           ? *sys.queryStatus
                                         : value == keys[path].end()        ? win::ErrorFileNotFound
                                         : value->second.bytes.size() > cap ? win::ErrorInsufficientBuffer
                                                                            : 0;
            if (ansi) sys.log.push_back(Entry(L"query 101", name, cap, L"=", status));
            if (status && status != win::ErrorFileNotFound) throw Failure(status, place + L"\\" + name);
            return status ? std::nullopt : std::optional(value->second);
        }
        void Write(const std::wstring& name, const RegistryValue& value) override {
            std::wstring text;  // UTF-16 of ASCII, as the program writes it
            for (std::size_t at = 0; at + 2 < value.bytes.size(); at += 2)
                text += static_cast<wchar_t>(value.bytes[at]);
            const std::wstring entry = Entry(L"set", name, value.type, text);
            sys.log.push_back(entry);
            if (sys.fail.count(entry)) throw Failure(sys.fail[entry], place + L"\\" + name);
            keys[path][Ascii(name)] = value;
        }
        void Delete(const std::wstring& name) override {
            sys.log.push_back(Entry(L"delete value", name));
            keys[path].erase(Ascii(name));
        }
        std::vector<std::wstring> SubKeys() override {
            std::set<std::wstring> names;
            for (const auto& [key, values] : keys)
                if (key.starts_with(Under(path)) && key.size() > Under(path).size())
                    names.insert(
                        Wide(key.substr(Under(path).size(), key.find('\\', Under(path).size()) - Under(path).size())));
            return {names.begin(), names.end()};
        }
        std::vector<std::wstring> ValueNames() override {
            std::vector<std::wstring> names;
            for (const auto& value : keys[path]) names.push_back(Wide(value.first));
            return names;
        }
        FakeSystem& sys;
        Keys& keys;
        std::string path;
        bool ansi;
        std::wstring place;
    };
    struct Hive final : LoadedHive {
        Hive(FakeSystem& sys, Keys& keys, std::wstring file) : sys(sys), keys(keys), file(std::move(file)) {}
        ~Hive() override {
            if (!unloaded) sys.log.push_back(L"unload " + file);
        }
        std::unique_ptr<RegistryKey> Open(const std::wstring& path, std::uint32_t access) override {
            return sys.OpenKey(keys, path, false, Entry(L"openW", file, path, access), file + L"\\" + path);
        }
        void Unload() override {
            sys.Call(L"unload", file);
            if (sys.openKeys_) throw Failure(win::ErrorAccessDenied, file);
            unloaded = true;
        }
        FakeSystem& sys;
        Keys& keys;
        std::wstring file;
        bool unloaded = false;
    };
    struct File final : OutputFile {
        File(FakeSystem& sys, std::wstring path) : sys(sys), path(std::move(path)) { sys.open_.insert(this->path); }
        ~File() override { sys.open_.erase(path); }
        void Write(std::string_view bytes) override {  // pieces written in a row are one entry
            if (sys.log.empty() || sys.log.back() != L"write " + path) sys.Call(L"write", path);
            sys.files[path] += bytes;
        }
        void Close() override {
            sys.Call(L"close", path);
            sys.open_.erase(path);
        }
        FakeSystem& sys;
        std::wstring path;
    };
    std::set<std::wstring> open_;
    int openKeys_ = 0;
};

// A user's proxy for every page, as the fake registry keeps it.
inline RegistryValue Sz(std::wstring_view text) { return {1, Utf16(text)}; }
inline const std::string UserSettings = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
inline FakeSystem::Keys UserProxy(const wchar_t* server) {
    return {{UserSettings, {{"ProxyEnable", {4, std::string("\1\0\0\0", 4)}}, {"ProxyServer", {1, Utf16(server)}}}}};
}

// The hosts file of the tests, the new file of the run (process 7) and the copy of the old one.
inline const std::wstring H = L"C:\\WINDOWS\\System32\\drivers\\etc\\hosts";
inline const std::wstring T = H + L".hostovik-7-1.tmp";
inline const std::wstring B = H + L".20240102-030405.bak";  // at Stamp
// A user's file: an entry, a NUL and bytes above 0x7F must all survive a copy.
inline const std::string Old = std::string("127.0.0.1 vk.com\r\n\0\xFF\xCF", 21);
inline const std::string Stock = StockHostsBytes();

// The code of the Failure that f throws (0 for none), and its subject.
inline std::pair<std::uint32_t, std::wstring> FailureOf(const std::function<void()>& f) try {
    f();
    return {0, L""};
} catch (const Failure& e) {
    return {e.Code(), e.Subject()};
}
