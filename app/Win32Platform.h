#pragma once
// The Win32 side of the platform interfaces: thin adapters over the system calls.
#include <windows.h>

#include "app/Platform.h"

// A failed call: the thread's last error, about `subject`.
[[noreturn]] void ThrowLastError(const std::wstring& subject);

// The system's ANSI code page, as a byte table.
const Codepage& SystemAnsiCodepage();

class Win32Environment final : public Environment {
public:
    std::optional<std::wstring> Get(const std::wstring& name) override;
    std::wstring SystemDirectory() override;
    std::wstring Expand(const std::wstring& text) override;
    std::wstring ComputerName() override;
    std::wstring ErrorText(std::uint32_t code) override;
};

class Win32FileSystem final : public FileSystem {
public:
    bool ReadChunks(const std::wstring& path, const std::function<void(std::string_view)>& chunk) override;
    void ProbeReplaceable(const std::wstring& path) override;
    std::unique_ptr<OutputFile> CreateNew(const std::wstring& path) override;
    void Replace(const std::wstring& from, const std::wstring& to) override;
    bool Delete(const std::wstring& path) override;
    std::optional<std::uint32_t> Attributes(const std::wstring& path) override;
    void SetAttributes(const std::wstring& path, std::uint32_t attributes) override;
    void Append(const std::wstring& path, std::string_view bytes) override;
};

class Win32Processes final : public Processes {
public:
    void Start(const std::wstring& application, const std::wstring& commandLine, int showCommand) override;
    std::uint32_t RunHidden(const std::wstring& application, const std::wstring& commandLine, unsigned seconds) override;
    std::uint32_t CurrentProcessId() override;
};

class Win32Clock final : public Clock {
public:
    LocalTime Now() override;
};

class Win32MessageBox final : public MessageBoxUi {
public:
    Answer MsgBox(std::wstring_view prompt, unsigned style, std::wstring_view title) override;
};

class Win32RebootCalls final : public RebootCalls {
public:
    std::int32_t GetVersionExA(OsVersionInfo& info) override;
    Handle GetCurrentProcess() override;
    std::int32_t OpenProcessToken(Handle process, std::uint32_t access, Handle& token) override;
    std::int32_t LookupPrivilegeValueA(const char* systemName, const char* name, Luid& luid) override;
    std::int32_t AdjustTokenPrivileges(Handle token, std::int32_t disableAll, PrivilegeRecord& newState,
                                       std::uint32_t bufferLength, PrivilegeRecord& previousState,
                                       std::uint32_t& returnLength) override;
    std::int32_t ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override;
    std::uint32_t GetLastError() override;
};

class Win32Registry final : public RegistryCalls {
public:
    std::int32_t RegOpenKeyExA(Key root, const char* subKey, std::uint32_t options, std::uint32_t access,
                               Key& result) override;
    std::int32_t RegQueryValueExA(Key key, const char* valueName, std::uint32_t& type, unsigned char* data,
                                  std::uint32_t& size) override;
    std::int32_t RegCloseKey(Key key) override;
};

class Win32FileLookup final : public FileLookup {
public:
    std::wstring FirstMatch(const std::wstring& pattern) override;
};

class Win32Shell final : public ShellCalls {
public:
    std::intptr_t ShellExecuteA(std::intptr_t parent, const char* operation, const char* file, const char* parameters,
                                const char* directory, int showCommand) override;
};

class Win32Settings final : public Settings {
public:
    std::optional<RegistryText> Read(const std::wstring& key, const std::wstring& name) override;
    void Write(const std::wstring& key, const std::wstring& name, const RegistryText& value) override;
};

// The standard output when it is redirected (a pipe, a file), else the console of the program
// that started this one, if any; attached on first use.
class Win32Console final : public Console {
public:
    bool Available() override;
    void WriteLine(std::wstring_view line) override;

private:
    HANDLE out_ = nullptr;
    bool looked_ = false, console_ = false;
};

// One instance of each adapter; start-up owns it and hands the windows its Platform.
struct Win32Platform {
    Win32Environment env;
    Win32FileSystem files;
    Win32Processes processes;
    Win32Clock clock;
    Win32MessageBox ui;
    Win32RebootCalls reboot;
    Win32Registry registry;
    Win32FileLookup fileLookup;
    Win32Shell shell;
    Win32Settings settings;
    Win32Console console;

    Platform Get() {
        return {ui, env, files, processes, clock, reboot, registry, fileLookup, shell, settings, console,
                SystemAnsiCodepage()};
    }
};
