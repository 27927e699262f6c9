#pragma once
// What the program's logic needs from the platform, as small interfaces.
// The real program fills them with Win32 calls; the unit tests with fakes.
// Every operation reports failure by throwing Failure.
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/Failure.h"

class Environment {
public:
    virtual ~Environment() = default;
    virtual std::optional<std::wstring> Get(const std::wstring& name) = 0;
};

class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual void Write(std::string_view bytes) = 0;
    // Flushes the content to the disk, then closes the file.
    virtual void Close() = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // The whole file; nothing when the file or its folder does not exist.
    virtual std::optional<std::string> ReadAll(const std::wstring& path) = 0;
    // Opens an existing file for writing and closes it unchanged, so that a read-only,
    // locked or otherwise unwritable file is found before anything is changed.
    virtual void ProbeWritable(const std::wstring& path) = 0;
    // mustBeNew: fail with win_error::FileExists instead of truncating an existing file.
    virtual std::unique_ptr<OutputFile> Create(const std::wstring& path, bool mustBeNew) = 0;
    // Puts `from` in place of `to` in one step, replacing `to` if it exists.
    virtual void Replace(const std::wstring& from, const std::wstring& to) = 0;
    // False when there was no such file.
    virtual bool Delete(const std::wstring& path) = 0;
};

class Processes {
public:
    virtual ~Processes() = default;
    // Starts a command line with a window show command and does not wait for it.
    virtual void Start(const std::wstring& commandLine, int showCommand) = 0;
};

struct LocalTime {
    int year, month, day, hour, minute, second;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime Now() = 0;
};
