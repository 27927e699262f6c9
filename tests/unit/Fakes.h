#pragma once
// Recording stand-ins for everything the logic asks of the platform. They all write
// into one Journal, so a test can check the order of events across them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <type_traits>
#include <string>
#include <vector>

#include "Module1/Module1.h"
#include "app/MsgBox.h"
#include "app/Platform.h"
#include "forms/Form1/Links.h"
#include "forms/frmAbout/SysInfo.h"
#include "hosts/HostsRepair.h"
#include "hosts/StockHosts.h"

using Journal = std::vector<std::wstring>;

inline std::wstring Widen(std::string_view ascii) { return {ascii.begin(), ascii.end()}; }
inline std::wstring Arg(const char* s) { return s ? L"\"" + Widen(s) + L"\"" : L"null"; }
inline std::wstring Hex(std::uint32_t v) {
    wchar_t b[16];
    std::swprintf(b, 16, L"0x%x", v);
    return b;
}

struct Logs {
    explicit Logs(Journal& journal) : log_(journal) {}
    // One journal entry: the words joined by spaces, numbers in decimal.
    template <class... W>
    void Log(const W&... words) {
        std::wstring entry;
        ((entry += (entry.empty() ? L"" : L" ") + Word(words)), ...);
        log_.push_back(entry);
    }
    template <class W>
    static std::wstring Word(const W& w) {
        if constexpr (std::is_arithmetic_v<W>) return std::to_wstring(w);
        else return std::wstring(w);
    }
    Journal& log_;
};

inline constexpr std::uint32_t ErrorSharingViolation = 32;
inline constexpr std::uint32_t ErrorDiskFull = 112;
inline constexpr std::int32_t ErrorMoreData = 234;
inline constexpr std::int32_t ErrorInvalidHandle = 6;

// Files as a map from path to bytes. Like Windows, a file that is open for writing
// (opened without sharing) cannot be read, deleted or moved.
class FakeFileSystem final : public FileSystem, Logs {
public:
    using Logs::Logs;
    std::map<std::wstring, std::string> files;

    // op: read, probe, create, create-new, write, close, replace (path = target), delete.
    void FailOn(const std::wstring& op, const std::wstring& path, std::uint32_t code) {
        failures_[op + L" " + path] = code;
    }

    std::optional<std::string> ReadAll(const std::wstring& path) override {
        Do(L"read", path);
        return files.count(path) ? std::optional(files[path]) : std::nullopt;
    }
    void ProbeWritable(const std::wstring& path) override { Do(L"probe", path); }
    std::unique_ptr<OutputFile> Create(const std::wstring& path, bool mustBeNew) override {
        Do(mustBeNew ? L"create-new" : L"create", path);
        if (mustBeNew && files.count(path)) throw Failure(win_error::FileExists, path);
        files[path].clear();
        return std::make_unique<File>(*this, path);
    }
    void Replace(const std::wstring& from, const std::wstring& to) override {
        Do(L"replace", to);
        if (open_.count(from)) throw Failure(ErrorSharingViolation, from);
        if (!files.count(from)) throw Failure(win_error::FileNotFound, from);
        files[to] = files[from];
        files.erase(from);
    }
    bool Delete(const std::wstring& path) override {
        Do(L"delete", path);
        return files.erase(path) > 0;
    }

private:
    class File final : public OutputFile {
    public:
        File(FakeFileSystem& fs, std::wstring path) : fs_(fs), path_(std::move(path)) { fs_.open_.insert(path_); }
        ~File() override { fs_.open_.erase(path_); }
        void Write(std::string_view bytes) override {
            fs_.Do(L"write", path_);
            fs_.files[path_] += bytes;
        }
        void Close() override {
            fs_.Do(L"close", path_);
            fs_.open_.erase(path_);
        }

    private:
        FakeFileSystem& fs_;
        std::wstring path_;
    };

    void Do(const std::wstring& op, const std::wstring& path) {
        Log(op, path);
        if (auto it = failures_.find(op + L" " + path); it != failures_.end()) throw Failure(it->second, path);
        if (op != L"write" && op != L"close" && open_.count(path)) throw Failure(ErrorSharingViolation, path);
    }

    std::map<std::wstring, std::uint32_t> failures_;
    std::set<std::wstring> open_;
};

struct Shown {
    std::wstring prompt;
    unsigned style;
    std::wstring title;
    bool operator==(const Shown&) const = default;
};
inline void PrintTo(const Shown& s, std::ostream* os) {
    *os << "{style " << s.style << ", " << ::testing::PrintToString(s.prompt) << "}";
}

// Answers messages from a script; a message the script did not expect fails the test.
class ScriptedUi final : public MessageBoxUi, Logs {
public:
    explicit ScriptedUi(Journal& log, std::deque<Answer> script = {}) : Logs(log), answers(std::move(script)) {}
    ~ScriptedUi() override { EXPECT_TRUE(answers.empty()) << answers.size() << " scripted answers unused"; }

    std::deque<Answer> answers;
    std::vector<Shown> shown;
    std::function<void()> onShow;  // runs while the message is up

    Answer MsgBox(std::wstring_view prompt, unsigned style, std::wstring_view title) override {
        Log(L"msg", style);
        shown.push_back({std::wstring(prompt), style, std::wstring(title)});
        if (onShow) onShow();
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected message " << ::testing::PrintToString(shown.back().prompt);
            return Answer::Ok;
        }
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
};

class FakeEnvironment final : public Environment {
public:
    std::map<std::wstring, std::wstring> vars;
    std::optional<std::wstring> Get(const std::wstring& name) override {
        return vars.count(name) ? std::optional(vars[name]) : std::nullopt;
    }
};

class FakeClock final : public Clock {
public:
    LocalTime now{2024, 1, 2, 3, 4, 5};
    LocalTime Now() override { return now; }
};

class FakeProcesses final : public Processes, Logs {
public:
    using Logs::Logs;
    std::uint32_t failWith = 0;
    void Start(const std::wstring& commandLine, int showCommand) override {
        Log(L"start", commandLine, showCommand);
        if (failWith) throw Failure(failWith, commandLine);
    }
};

class FakeWindows final : public RepairWindows, Logs {
public:
    using Logs::Logs;
    std::wstring view;
    void ShowHostsView(std::wstring text) override { Log(L"view"); view = std::move(text); }
    void UnloadMainWindow() override { Log(L"unload main"); }
    void UnloadAboutDialog() override { Log(L"unload about"); }
};

class FakeReboot final : public RebootCalls, Logs {
public:
    using Logs::Logs;
    std::uint32_t platformId = PlatformIdNt;  // 0: the version query fails
    static constexpr Handle Process = 41, Token = 77;
    static constexpr Luid Shutdown{0x89ABCDEF, -2};

    std::int32_t GetVersionExA(OsVersionInfo& info) override {
        OsVersionInfo blank{};
        blank.size = info.size;
        Log(L"GetVersionExA", info.size, std::memcmp(&blank, &info, sizeof info) ? L"dirty" : L"zeroed");
        info.platformId = platformId;
        return platformId != 0;
    }
    Handle GetCurrentProcess() override { Log(L"GetCurrentProcess"); return Process; }
    std::int32_t OpenProcessToken(Handle process, std::uint32_t access, Handle& token) override {
        Log(L"OpenProcessToken", process, Hex(access));
        token = Token;
        return 1;
    }
    std::int32_t LookupPrivilegeValueA(const char* systemName, const char* name, Luid& luid) override {
        Log(L"LookupPrivilegeValueA", Arg(systemName), Arg(name));
        luid = Shutdown;
        return 1;
    }
    std::int32_t AdjustTokenPrivileges(Handle token, std::int32_t disableAll, PrivilegeRecord& s,
                                       std::uint32_t bufferLength, PrivilegeRecord& previous,
                                       std::uint32_t& returnLength) override {
        const PrivilegeRecord zero{};
        const LuidAndAttributes& p = s.privileges[0];
        Log(L"AdjustTokenPrivileges", token, disableAll, L"{", s.count, p.luid.low, p.luid.high, p.attributes, L"}",
            bufferLength, std::memcmp(&previous, &zero, sizeof zero) ? L"previous-dirty" : L"previous-zero",
            returnLength);
        return 1;
    }
    std::int32_t ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override {
        Log(L"ExitWindowsEx", flags, reason);
        return 1;
    }
};

struct RegValue {
    std::uint32_t type;
    std::string data;
};

// Keys by path under HKEY_LOCAL_MACHINE. Handles are 101, 102... in the order opened.
class FakeRegistry final : public RegistryCalls, Logs {
public:
    using Logs::Logs;
    std::map<std::string, std::map<std::string, RegValue>> keys;
    std::map<std::string, std::int32_t> openStatus;  // a key that exists but cannot be opened

    std::int32_t RegOpenKeyExA(Key root, const char* subKey, std::uint32_t options, std::uint32_t access,
                               Key& result) override {
        std::int32_t status = 0;
        if (root != HKeyLocalMachine) status = ErrorInvalidHandle;
        else if (openStatus.count(subKey)) status = openStatus[subKey];
        else if (!keys.count(subKey)) status = static_cast<std::int32_t>(win_error::FileNotFound);
        Log(L"open", root, Widen(subKey), options, Hex(access), L"=", status);
        if (status == 0) {
            opened_.push_back(subKey);
            result = 100 + static_cast<Key>(opened_.size());
        }
        return status;
    }
    std::int32_t RegQueryValueExA(Key key, const char* valueName, std::uint32_t& type, unsigned char* data,
                                  std::uint32_t& size) override {
        const std::uint32_t offered = size;
        const bool zeroed = std::all_of(data, data + size, [](unsigned char b) { return b == 0; });
        std::int32_t status = 0;
        const auto& values = keys[opened_.at(static_cast<std::size_t>(key - 101))];
        if (!values.count(valueName)) {
            status = static_cast<std::int32_t>(win_error::FileNotFound);
        } else if (const RegValue& v = values.at(valueName); v.data.size() > size) {
            status = ErrorMoreData;
            size = static_cast<std::uint32_t>(v.data.size());
        } else {
            std::memcpy(data, v.data.data(), v.data.size());
            size = static_cast<std::uint32_t>(v.data.size());
            type = v.type;
        }
        Log(L"query", key, Widen(valueName), zeroed ? L"zeroed" : L"dirty", offered, L"=", status);
        return status;
    }
    std::int32_t RegCloseKey(Key key) override {
        Log(L"close", key);
        return key > 100 ? 0 : ErrorInvalidHandle;
    }

private:
    std::vector<std::string> opened_;
};

class FakeFileLookup final : public FileLookup, Logs {
public:
    using Logs::Logs;
    std::set<std::wstring> files;
    std::wstring FirstMatch(const std::wstring& pattern) override {
        Log(L"lookup", pattern);
        return files.count(pattern) ? pattern.substr(pattern.rfind(L'\\') + 1) : L"";
    }
};

class FakeShell final : public ShellCalls, Logs {
public:
    using Logs::Logs;
    std::intptr_t ShellExecuteA(std::intptr_t parent, const char* operation, const char* file,
                                const char* parameters, const char* directory, int showCommand) override {
        Log(L"ShellExecuteA", parent, Arg(operation), Arg(file), Arg(parameters), Arg(directory), showCommand);
        return 42;
    }
};

// The hosts file of the tests, its neighbours, and its contents.
using Files = std::map<std::wstring, std::string>;
inline const std::wstring H = L"C:\\WINDOWS\\System32\\drivers\\etc\\hosts";
inline const std::wstring N = H + L".hostovik-new";
inline const std::wstring B = H + L".20240102-030405.bak";  // at FakeClock's time
// A user's file: an entry, a NUL and bytes above 0x7F must all survive a copy.
inline const std::string Old = std::string("127.0.0.1 vk.com\r\n\0\xFF\xCF", 21);
inline const std::string Stock = StockHostsBytes(Windows1251());

// The code of the Failure that f throws, or 0.
inline std::uint32_t FailureCode(const std::function<void()>& f) {
    try {
        f();
    } catch (const Failure& e) {
        return e.Code();
    }
    return 0;
}
