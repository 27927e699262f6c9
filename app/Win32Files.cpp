// Files: the hosts file's own calls with the backup and restore privileges, any other file with
// the run's ordinary rights, and file-name lookups.
#include "app/Win32Platform.h"

#include <aclapi.h>
#include <restartmanager.h>
#include <sddl.h>

#include "app/RegistryLists.h"

namespace {

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsMissing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

class Win32OutputFile final : public OutputFile {
public:
    Win32OutputFile(HANDLE h, std::wstring path) : file_(h), path_(std::move(path)) {}

    void Write(std::string_view bytes) override {
        while (!bytes.empty()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
            DWORD written = 0;
            if (!WriteFile(file_.Get(), bytes.data(), chunk, &written, nullptr)) ThrowLastError(path_);
            bytes.remove_prefix(written);
        }
    }

    void Close() override {
        if (!FlushFileBuffers(file_.Get())) ThrowLastError(path_);
        if (!file_.Close()) ThrowLastError(path_);
    }

private:
    OwnedHandle file_;
    std::wstring path_;
};

// A regular file on a disk, piece by piece; false when it does not exist. A folder (which backup
// semantics open too), a device or a pipe, whose reads could wait for ever, is refused before
// anything is read.
bool ReadDiskFile(const std::wstring& path, const std::function<void(std::string_view)>& chunk, DWORD flags) {
    OwnedHandle file(CreateFileW(
        path.c_str(), GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN | flags, nullptr));
    if (!file.Valid()) {
        if (IsMissing(GetLastError())) return false;
        ThrowLastError(path);
    }
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) throw Failure(ERROR_NOT_SUPPORTED, path);
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.Get(), &info)) ThrowLastError(path);
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) throw Failure(ERROR_ACCESS_DENIED, path);
    std::string buffer(1u << 20, '\0');
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
            ThrowLastError(path);
        if (read == 0) return true;
        chunk(std::string_view(buffer.data(), read));
    }
}

class Win32InputFile final : public InputFile {
public:
    Win32InputFile(HANDLE h, std::wstring path) : file_(h), path_(std::move(path)) {}

    std::string_view Read() override {
        DWORD read = 0;
        if (!ReadFile(file_.Get(), buffer_.data(), static_cast<DWORD>(buffer_.size()), &read, nullptr))
            ThrowLastError(path_);
        return std::string_view(buffer_.data(), read);
    }

private:
    OwnedHandle file_;
    std::wstring path_;
    std::string buffer_ = std::string(1u << 16, '\0');
};

}  // namespace

std::unique_ptr<InputFile> Win32FileSystem::OpenToRead(const std::wstring& path) {
    const BackupRights rights;  // needed to open; the handle then reads without them
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING,
        FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        if (IsMissing(GetLastError())) return nullptr;
        ThrowLastError(path);
    }
    auto file = std::make_unique<Win32InputFile>(h, path);  // closes it from here on
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        throw Failure(ERROR_NOT_SUPPORTED, path);
    return file;
}

// Opened for its attributes alone, the link itself rather than what it points to; a folder too.
std::optional<FileFacts> Win32FileSystem::Facts(const std::wstring& path) {
    const BackupRights rights;
    OwnedHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, ShareAll, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.Valid()) {
        if (IsMissing(GetLastError())) return std::nullopt;
        ThrowLastError(path);
    }
    FileFacts facts;
    facts.disk = GetFileType(file.Get()) == FILE_TYPE_DISK;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.Get(), &info)) ThrowLastError(path);
    facts.attributes = info.dwFileAttributes;
    facts.links = info.nNumberOfLinks;
    return facts;
}

bool Win32FileSystem::ReadChunks(const std::wstring& path, const std::function<void(std::string_view)>& chunk) {
    const BackupRights rights;
    return ReadDiskFile(path, chunk, FILE_FLAG_BACKUP_SEMANTICS);
}

bool Win32FileSystem::ReadOrdinaryFile(const std::wstring& path, const std::function<void(std::string_view)>& chunk) {
    return ReadDiskFile(path, chunk, 0);
}

void Win32FileSystem::ProbeReplaceable(const std::wstring& path) {
    // DELETE alone: a read-only file may be opened for it (Wine refuses one opened for its
    // attributes), and a holder that did not share deletion is found.
    const BackupRights rights;
    OwnedHandle file(
        CreateFileW(path.c_str(), DELETE, ShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.Valid() && !IsMissing(GetLastError())) ThrowLastError(path);
}

bool Win32FileSystem::InUse(const std::wstring& path) {
    const BackupRights rights;
    OwnedHandle file(CreateFileW(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return !file.Valid() && GetLastError() == ERROR_SHARING_VIOLATION;
}

namespace {

// The program file of a process, where Windows tells it: QueryFullProcessImageNameW is Vista's,
// looked up at run time, and a handle with limited rights is all it needs.
std::wstring ImagePath(DWORD processId) {
    const auto query = NewerKernelCall<BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD)>("QueryFullProcessImageNameW");
    constexpr DWORD QueryLimitedInformation = 0x1000;  // PROCESS_QUERY_LIMITED_INFORMATION, Vista's
    if (!query) return L"";
    const HANDLE h = OpenProcess(QueryLimitedInformation, FALSE, processId);
    if (!h) return L"";
    OwnedHandle process(h);
    std::wstring image(MAX_PATH, L'\0');
    DWORD size = static_cast<DWORD>(image.size());
    if (!query(process.Get(), 0, image.data(), &size)) return L"";
    image.resize(size);
    return image;
}

}  // namespace

// The Restart Manager is Vista's: its DLL is loaded by its full path in the system folder, never
// searched for, and where it is missing (XP) no holder is named.
std::vector<FileHolder> Win32FileSystem::Holders(const std::wstring& path) {
    std::vector<FileHolder> holders;
    std::optional<SystemDll> rm;
    decltype(&RmStartSession) start;
    decltype(&RmRegisterResources) add;
    decltype(&RmGetList) list;
    decltype(&RmEndSession) end;
    try {
        rm.emplace(L"rstrtmgr.dll");
        start = rm->Get<decltype(start)>("RmStartSession"), add = rm->Get<decltype(add)>("RmRegisterResources");
        list = rm->Get<decltype(list)>("RmGetList"), end = rm->Get<decltype(end)>("RmEndSession");
    } catch (const Failure&) {
        return holders;
    }
    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (start(&session, 0, key) == ERROR_SUCCESS) {
        LPCWSTR files[] = {path.c_str()};
        std::vector<RM_PROCESS_INFO> found(8);
        UINT needed = 0, count = 0;
        DWORD reasons = 0, status = add(session, 1, files, 0, nullptr, 0, nullptr);
        // The list may grow between the call that sizes it and the one that fills it.
        for (int attempt = 0; status == ERROR_SUCCESS && attempt < 4; ++attempt) {
            count = static_cast<UINT>(found.size());
            status = list(session, &needed, &count, found.data(), &reasons);
            if (status != ERROR_MORE_DATA) break;
            found.resize(needed);
            status = ERROR_SUCCESS;
        }
        for (UINT i = 0; status == ERROR_SUCCESS && i < std::min<std::size_t>(count, found.size()); ++i)
            holders.push_back(
                {found[i].Process.dwProcessId, found[i].strAppName, ImagePath(found[i].Process.dwProcessId)});
        end(session);
    }
    return holders;
}

std::unique_ptr<OutputFile> Win32FileSystem::CreateNew(const std::wstring& path) {
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) ThrowLastError(path);
    return std::make_unique<Win32OutputFile>(h, path);
}

void Win32FileSystem::Replace(const std::wstring& from, const std::wstring& to) {
    const BackupRights rights;
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) ThrowLastError(to);
}

void Win32FileSystem::MoveAtRestart(const std::wstring& from, const std::wstring& to, bool replace) {
    const BackupRights rights;
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT | (replace ? MOVEFILE_REPLACE_EXISTING : 0)))
        ThrowLastError(from);
}

// Pairs of names as MoveFileEx keeps them: \??\C:\from, then \??\C:\to with "!" before it for a
// replace, or nothing for a deletion; in the second value once the first has grown too large.
std::vector<PendingMove> Win32FileSystem::PendingMoves() {
    constexpr wchar_t SessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
    constexpr std::uint32_t ValueCap = 1u << 24;  // far beyond the moves any Windows keeps
    std::vector<PendingMove> moves;
    const std::unique_ptr<RegistryKey> key =
        Win32Registry().Open(win::HKeyLocalMachine, SessionManager, KEY_QUERY_VALUE, Registry::Names::Unicode);
    if (!key) throw Failure(ERROR_FILE_NOT_FOUND, std::wstring(L"HKLM\\") + SessionManager);
    for (const wchar_t* name : {L"PendingFileRenameOperations", L"PendingFileRenameOperations2"}) {
        const std::optional<RegistryValue> value = key->Read(name, ValueCap);
        if (!value || value->type != REG_MULTI_SZ) continue;
        for (PendingMove& move : PendingMovesIn(value->bytes)) moves.push_back(std::move(move));
    }
    return moves;
}

bool Win32FileSystem::Delete(const std::wstring& path) {
    const BackupRights rights;
    if (DeleteFileW(path.c_str())) return true;
    if (IsMissing(GetLastError())) return false;
    ThrowLastError(path);
}

std::optional<std::uint32_t> Win32FileSystem::Attributes(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return attributes;
    if (IsMissing(GetLastError())) return std::nullopt;
    ThrowLastError(path);
}

namespace {

// Where the file's permissions refuse even administrators: the attributes set through a handle
// opened with the restore privilege. SetFileInformationByHandle is Vista's, looked up at run time;
// on XP the refusal stands.
bool SetAttributesAsRestorer(const std::wstring& path, DWORD attributes) {
    const auto set = NewerKernelCall<BOOL(WINAPI*)(HANDLE, int, void*, DWORD)>("SetFileInformationByHandle");
    OwnedHandle file(set ? CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, ShareAll, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr)
                         : INVALID_HANDLE_VALUE);
    struct {
        LARGE_INTEGER created, accessed, written, changed;  // 0: left as they are
        DWORD attributes;
    } basic{{}, {}, {}, {}, attributes};
    constexpr int FileBasicInfo = 0;
    return file.Valid() && set(file.Get(), FileBasicInfo, &basic, sizeof basic);
}

}  // namespace

void Win32FileSystem::SetAttributes(const std::wstring& path, std::uint32_t attributes) {
    const BackupRights rights;
    if (SetFileAttributesW(path.c_str(), attributes)) return;
    const DWORD error = GetLastError();
    if (error != ERROR_ACCESS_DENIED || !SetAttributesAsRestorer(path, attributes)) throw Failure(error, path);
}

std::unique_ptr<OutputFile> Win32FileSystem::OpenToAppend(const std::wstring& path, FileFacts& facts) {
    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write goes to the end as it stands then, one
    // writer's after another's. The attributes are read through the same handle, so what is
    // checked is what is written to.
    const HANDLE h =
        CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) ThrowLastError(path);
    auto file = std::make_unique<Win32OutputFile>(h, path);
    facts.disk = GetFileType(h) == FILE_TYPE_DISK;
    BY_HANDLE_FILE_INFORMATION info{};
    if (facts.disk) {
        if (!GetFileInformationByHandle(h, &info)) ThrowLastError(path);
        facts.attributes = info.dwFileAttributes;
        facts.links = info.nNumberOfLinks;
    }
    return file;
}

namespace {

// Normal attributes: folders, hidden and system files do not match.
constexpr DWORD NotNormal = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

}  // namespace

std::vector<FoundFile> Win32FileSystem::Find(const std::wstring& pattern) {
    std::vector<FoundFile> files;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return files;
    do {
        if (!(found.dwFileAttributes & (NotNormal | FILE_ATTRIBUTE_REPARSE_POINT)))
            files.push_back({found.cFileName, std::uint64_t{found.nFileSizeHigh} << 32 | found.nFileSizeLow});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return files;
}

std::wstring Win32FileLookup::FirstMatch(const std::wstring& pattern) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return L"";
    std::wstring name;
    do {
        if (!(found.dwFileAttributes & NotNormal)) {
            name = found.cFileName;
            break;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return name;
}

namespace {

std::wstring SidText(PSID sid) {
    LPWSTR text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) return L"?";
    std::wstring copy(text);
    LocalFree(text);
    return copy;
}

// DOMAIN\name as Windows knows the account; its SID where it knows no name.
std::wstring AccountName(PSID sid, const std::wstring& sidText) {
    wchar_t name[256], domain[256];
    DWORD nameSize = 256, domainSize = 256;
    SID_NAME_USE use;
    if (!LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) return sidText;
    return domain[0] ? std::wstring(domain) + L"\\" + name : std::wstring(name);
}

}  // namespace

// Read through a handle of the name itself: a link there is not followed to another's permissions.
Permissions Win32FileSystem::PermissionsOf(const std::wstring& path) {
    OwnedHandle file(CreateFileW(path.c_str(), READ_CONTROL, ShareAll, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.Valid()) ThrowLastError(path);
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error = GetSecurityInfo(
        file.Get(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr, &descriptor);
    if (error != ERROR_SUCCESS) throw Failure(error, path);
    const std::unique_ptr<void, decltype(&LocalFree)> freed(descriptor, LocalFree);
    if (!dacl) return std::nullopt;
    std::vector<AccessEntry> entries;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace)) ThrowLastError(path);
        const auto* header = static_cast<const ACE_HEADER*>(ace);
        // Files carry plain entries; an allowed and a denied one share their layout.
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE) continue;
        auto* entry = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        const PSID sid = &entry->SidStart;
        const std::wstring text = SidText(sid);
        entries.push_back({text, AccountName(sid, text), entry->Mask, header->AceType == ACCESS_ALLOWED_ACE_TYPE,
            (header->AceFlags & INHERIT_ONLY_ACE) != 0});
    }
    return entries;
}

bool Win32FileSystem::MayOpen(const std::wstring& path, std::uint32_t access) {
    const OwnedHandle file(CreateFileW(path.c_str(), access, ShareAll, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file.Valid()) return true;
    if (GetLastError() == ERROR_ACCESS_DENIED) return false;
    ThrowLastError(path);
}
