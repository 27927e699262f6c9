#pragma once
// Another installation's files (a /windir: tree on a disk that malware controlled) are reached
// only along names that are what they seem: a symbolic link planted at hosts would have the
// privileged run read any file and copy it onto that disk, a junction on etc move every write
// elsewhere. The registry's loader checks its file the same way.
#include <string>

#include "app/Platform.h"

// Refuses a name along `path`, every one after its drive (or its share), that is a reparse point
// (a symbolic link, a junction, a mount point), and a file at `path` with more than one name;
// each name is opened without following it. A missing name passes: nothing is there to follow.
// A Failure names the place and says why, before anything is read or written there.
inline void RefuseLinks(FileSystem& fs, const std::wstring& path) {
    std::size_t from = 3;  // "X:\"
    if (path.starts_with(L"\\\\")) {
        from = path.find(L'\\', path.find(L'\\', 2) + 1);  // past "\\server\share"
        if (from == std::wstring::npos) return;
        ++from;
    }
    for (std::size_t end = from; end <= path.size() && from < path.size(); ++end) {
        if (end < path.size() && path[end] != L'\\') continue;
        const std::wstring name = path.substr(0, end);
        const std::optional<FileFacts> facts = fs.Facts(name);
        if (!facts) continue;
        if (facts->attributes & win::FileAttributeReparsePoint)
            throw Failure(win::ErrorCantAccessFile,
                name +
                    L"\nЭто ссылка (точка повторной обработки): в другой установке Windows программа по ссылкам не "
                    L"идёт.");
        if (end == path.size() && facts->links > 1)
            throw Failure(win::ErrorTooManyLinks,
                name +
                    L"\nУ файла несколько имён (жёсткие ссылки): в другой установке Windows программа такой файл "
                    L"не читает и не меняет.");
    }
}

// Whether a failure is RefuseLinks' own, whose subject tells where and why.
inline bool LinkRefused(const Failure& f) {
    return f.Code() == win::ErrorCantAccessFile || f.Code() == win::ErrorTooManyLinks;
}
