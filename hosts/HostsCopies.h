#pragma once
// The copies of the hosts file beside it, and the new files named by the time or by a number.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/Platform.h"

// Numbered names tried when one is taken: copies made within one second, or new files an
// earlier run left behind.
inline constexpr int MaxNumber = 99;

// "hosts.yyyyMMdd-HHmmss.bak", then "...-2.bak" and on; or with another ending.
std::wstring CopyName(const std::wstring& path, const LocalTime& now, int n, std::wstring_view ending = L".bak");

// A new file under the first free name of `name(1)`, `name(2)`...; `path` receives it.
std::unique_ptr<OutputFile> CreateNumbered(
    FileSystem& fs, const std::function<std::wstring(int)>& name, std::wstring& path);

// A new file beside `path` named by the time (see WriteStamped).
std::unique_ptr<OutputFile> CreateStamped(
    FileSystem& fs, const std::wstring& path, const LocalTime& now, std::wstring_view ending, std::wstring& made);

// Cleaning up after a failure: the failure that brought us here is the one the user must
// see, so a failure to clean up is not reported over it.
void Quietly(const std::function<void()>& undo);

// Whether two files hold the same bytes, compared piece by piece as both are read: memory stays
// bounded whatever their size.
bool SameBytes(FileSystem& fs, const std::wstring& a, const std::wstring& b);

// A new file beside `path` named by the time, "hosts.yyyyMMdd-HHmmss<ending>", then
// "...-2<ending>" and on while a name is taken, never over an earlier file, holding `bytes` whole
// on the disk; a failure leaves no part of it. Returns its path.
std::wstring WriteStamped(
    FileSystem& fs, const std::wstring& path, const LocalTime& now, std::wstring_view ending, std::string_view bytes);

// The copies of the hosts file at `path` beside it ("hosts.*.bak"), newest first by the time in
// their names, a copy made in the same second after the one before it.
std::vector<FoundFile> HostsCopies(FileSystem& fs, const std::wstring& path);
