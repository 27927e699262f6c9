#pragma once
// Every Windows number the portable logic hands to the system or tells apart in its answers,
// in one place. app/WinNumbers.cpp checks each against the Windows headers.
#include <cstdint>

namespace win {

// Show commands of a started program's window.
inline constexpr int ShowNormal = 1;     // SW_SHOWNORMAL: a normal window with the focus
inline constexpr int ShowMinimized = 2;  // SW_SHOWMINIMIZED: minimized, with the focus

// Error codes the logic reports or tells apart.
inline constexpr std::uint32_t ErrorFileNotFound = 2;
inline constexpr std::uint32_t ErrorPathNotFound = 3;
inline constexpr std::uint32_t ErrorAccessDenied = 5;
inline constexpr std::uint32_t ErrorInvalidHandle = 6;
inline constexpr std::uint32_t ErrorNotEnoughMemory = 8;
inline constexpr std::uint32_t ErrorInvalidData = 13;
inline constexpr std::uint32_t ErrorSharingViolation = 32;  // another program holds the file
inline constexpr std::uint32_t ErrorLockViolation = 33;
inline constexpr std::uint32_t ErrorNetworkAccessDenied = 65;  // a path on a server the hosts file maps
inline constexpr std::uint32_t ErrorFileExists = 80;
inline constexpr std::uint32_t ErrorInvalidParameter = 87;
inline constexpr std::uint32_t ErrorInsufficientBuffer = 122;  // a registry value larger than the room allowed for it
inline constexpr std::uint32_t ErrorFileTooLarge = 223;
inline constexpr std::uint32_t ErrorMoreData = 234;
inline constexpr std::uint32_t ErrorTimeout = 1460;
inline constexpr std::uint32_t ErrorTooManyLinks = 1142;    // a file with more than one name
inline constexpr std::uint32_t ErrorCantAccessFile = 1920;  // a link where a plain name was due
inline constexpr std::uint32_t ErrorArithmeticOverflow = 534;
inline constexpr std::uint32_t ErrorNotAllAssigned = 1300;  // a privilege the token does not hold
inline constexpr std::uint32_t ErrorInternalError = 1359;
inline constexpr std::uint32_t ErrorSuccessRebootRequired = 3010;  // done; takes effect at the next start
// The run needs administrator rights (Vista's ERROR_ELEVATION_REQUIRED, which XP's headers lack).
inline constexpr std::uint32_t ErrorElevationRequired = 740;

// File attributes that protect a file from being replaced, and the plain one; a folder, and a
// link (a reparse point: symbolic link, junction, mount point).
inline constexpr std::uint32_t FileAttributeReadOnly = 0x1;
inline constexpr std::uint32_t FileAttributeHidden = 0x2;
inline constexpr std::uint32_t FileAttributeSystem = 0x4;
inline constexpr std::uint32_t FileAttributeDirectory = 0x10;
inline constexpr std::uint32_t FileAttributeNormal = 0x80;
inline constexpr std::uint32_t FileAttributeReparsePoint = 0x400;

// Rights over a file or a folder that change what it holds, or let someone change its permissions
// (or, for a folder, put another file in place of one it holds).
inline constexpr std::uint32_t FileWriteData = 0x2;     // FILE_WRITE_DATA; FILE_ADD_FILE for a folder
inline constexpr std::uint32_t FileAppendData = 0x4;    // FILE_APPEND_DATA
inline constexpr std::uint32_t FileDeleteChild = 0x40;  // FILE_DELETE_CHILD
inline constexpr std::uint32_t Delete = 0x10000;        // DELETE
inline constexpr std::uint32_t WriteDac = 0x40000;      // WRITE_DAC
inline constexpr std::uint32_t WriteOwner = 0x80000;    // WRITE_OWNER
inline constexpr std::uint32_t GenericAll = 0x10000000;
inline constexpr std::uint32_t GenericWrite = 0x40000000;

// Where DLLs are loaded from: the system folder only (LOAD_LIBRARY_SEARCH_SYSTEM32, which the
// headers for XP lack).
inline constexpr std::uint32_t LoadLibrarySearchSystem32 = 0x800;

// The restart.
inline constexpr std::uint32_t PlatformIdNt = 2;  // VER_PLATFORM_WIN32_NT
inline constexpr std::uint32_t ExitReboot = 2;    // EWX_REBOOT
inline constexpr std::uint32_t ExitForce = 4;     // EWX_FORCE: programs are closed without asking
inline constexpr std::uint32_t TokenAdjustPrivileges = 0x20;
inline constexpr std::uint32_t TokenQuery = 0x08;
inline constexpr std::uint32_t PrivilegeEnabled = 2;  // SE_PRIVILEGE_ENABLED

// The registry.
inline constexpr std::int32_t HKeyCurrentUser = static_cast<std::int32_t>(0x80000001u);
inline constexpr std::int32_t HKeyLocalMachine = static_cast<std::int32_t>(0x80000002u);
inline constexpr std::int32_t HKeyUsers = static_cast<std::int32_t>(0x80000003u);
// Query and set values, create, enumerate and link sub-keys, notify, read control: all but delete and ownership.
inline constexpr std::uint32_t KeyAllButDelete = 0x2003F;
inline constexpr std::uint32_t KeyQueryValue = 0x1;
inline constexpr std::uint32_t KeySetValue = 0x2;
inline constexpr std::uint32_t KeyEnumerateSubKeys = 0x8;
inline constexpr std::uint32_t KeyRead = 0x20019;  // query, enumerate, notify, read control
// The 64-bit registry from this 32-bit program too: HKLM\SOFTWARE as Windows' own services read
// it, not the copy WOW64 shows 32-bit programs (ignored by 32-bit Windows).
inline constexpr std::uint32_t KeyWow64_64Key = 0x100;
inline constexpr std::uint32_t RegSz = 1;
inline constexpr std::uint32_t RegExpandSz = 2;
inline constexpr std::uint32_t RegBinary = 3;
inline constexpr std::uint32_t RegDword = 4;
inline constexpr std::uint32_t RegMultiSz = 7;
inline constexpr std::uint32_t RegQword = 11;
// The kinds of an event log entry (EVENTLOG_*_TYPE), as the Event Viewer shows them.
inline constexpr std::uint16_t EventError = 0x1;
inline constexpr std::uint16_t EventWarning = 0x2;
inline constexpr std::uint16_t EventInformation = 0x4;
// WinVerifyTrust's answer for a file that carries no signature (TRUST_E_NOSIGNATURE).
inline constexpr std::uint32_t TrustNoSignature = 0x800B0100;

}  // namespace win

// Message-box styles, summed: buttons + icon; and its answers.
enum MsgStyle : unsigned {
    vbOKOnly = 0,
    vbYesNo = 4,
    vbCritical = 16,
    vbInformation = 64,
};

enum class Answer { Ok = 1, Yes = 6, No = 7 };
