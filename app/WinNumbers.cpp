// The logic's copies of Windows numbers (app/WinNumbers.h) are the headers' own: checked here,
// where the Windows headers are, and compiled into the program only.
#include <windows.h>

#include "app/Platform.h"

static_assert(win::ShowNormal == SW_SHOWNORMAL && win::ShowMinimized == SW_SHOWMINIMIZED);
static_assert(win::ErrorNotAllAssigned == ERROR_NOT_ALL_ASSIGNED &&
              win::FileAttributeReadOnly == FILE_ATTRIBUTE_READONLY &&
              win::FileAttributeHidden == FILE_ATTRIBUTE_HIDDEN && win::FileAttributeSystem == FILE_ATTRIBUTE_SYSTEM &&
              win::FileAttributeNormal == FILE_ATTRIBUTE_NORMAL);
static_assert(win::ErrorTimeout == ERROR_TIMEOUT && win::ErrorSharingViolation == ERROR_SHARING_VIOLATION &&
              win::ErrorLockViolation == ERROR_LOCK_VIOLATION &&
              win::ErrorSuccessRebootRequired == ERROR_SUCCESS_REBOOT_REQUIRED);
static_assert(win::FileAttributeDirectory == FILE_ATTRIBUTE_DIRECTORY &&
              win::FileAttributeReparsePoint == FILE_ATTRIBUTE_REPARSE_POINT);
static_assert(win::ErrorFileNotFound == ERROR_FILE_NOT_FOUND && win::ErrorPathNotFound == ERROR_PATH_NOT_FOUND &&
              win::ErrorAccessDenied == ERROR_ACCESS_DENIED && win::ErrorNotEnoughMemory == ERROR_NOT_ENOUGH_MEMORY &&
              win::ErrorInvalidData == ERROR_INVALID_DATA && win::ErrorFileExists == ERROR_FILE_EXISTS &&
              win::ErrorInvalidParameter == ERROR_INVALID_PARAMETER && win::ErrorFileTooLarge == ERROR_FILE_TOO_LARGE &&
              win::ErrorMoreData == ERROR_MORE_DATA && win::ErrorInsufficientBuffer == ERROR_INSUFFICIENT_BUFFER &&
              win::ErrorArithmeticOverflow == ERROR_ARITHMETIC_OVERFLOW &&
              win::ErrorTooManyLinks == ERROR_TOO_MANY_LINKS && win::ErrorCantAccessFile == ERROR_CANT_ACCESS_FILE &&
              win::ErrorInternalError == ERROR_INTERNAL_ERROR);
static_assert(win::FileWriteData == FILE_WRITE_DATA && win::FileAppendData == FILE_APPEND_DATA &&
              win::FileDeleteChild == FILE_DELETE_CHILD && win::Delete == DELETE && win::WriteDac == WRITE_DAC &&
              win::WriteOwner == WRITE_OWNER && win::GenericAll == GENERIC_ALL && win::GenericWrite == GENERIC_WRITE &&
              win::ErrorNetworkAccessDenied == ERROR_NETWORK_ACCESS_DENIED);
static_assert(win::PlatformIdNt == VER_PLATFORM_WIN32_NT && win::ExitReboot == EWX_REBOOT &&
              win::ExitForce == EWX_FORCE && win::TokenAdjustPrivileges == TOKEN_ADJUST_PRIVILEGES &&
              win::TokenQuery == TOKEN_QUERY && win::PrivilegeEnabled == SE_PRIVILEGE_ENABLED);
static_assert(win::KeyAllButDelete == (KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS |
                                          KEY_NOTIFY | KEY_CREATE_LINK | READ_CONTROL) &&
              win::KeyQueryValue == KEY_QUERY_VALUE && win::KeySetValue == KEY_SET_VALUE &&
              win::KeyEnumerateSubKeys == KEY_ENUMERATE_SUB_KEYS && win::KeyWow64_64Key == KEY_WOW64_64KEY);
static_assert(win::RegSz == REG_SZ && win::RegExpandSz == REG_EXPAND_SZ && win::RegDword == REG_DWORD &&
              win::RegBinary == REG_BINARY && win::RegMultiSz == REG_MULTI_SZ && win::RegQword == REG_QWORD);
static_assert(win::EventError == EVENTLOG_ERROR_TYPE && win::EventWarning == EVENTLOG_WARNING_TYPE &&
              win::EventInformation == EVENTLOG_INFORMATION_TYPE);
static_assert(win::TrustNoSignature == static_cast<std::uint32_t>(TRUST_E_NOSIGNATURE));
static_assert(
    vbOKOnly == MB_OK && vbYesNo == MB_YESNO && vbCritical == MB_ICONHAND && vbInformation == MB_ICONASTERISK);
static_assert(static_cast<int>(Answer::Ok) == IDOK && static_cast<int>(Answer::Yes) == IDYES &&
              static_cast<int>(Answer::No) == IDNO);
static_assert(sizeof(OsVersionInfo) == sizeof(OSVERSIONINFOA));
static_assert(sizeof(Luid) == sizeof(LUID));
static_assert(sizeof(PrivilegeRecord) == sizeof(TOKEN_PRIVILEGES) + sizeof(LUID_AND_ATTRIBUTES));
