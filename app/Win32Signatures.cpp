// Authenticode: who signed a file, as Windows verifies it. wintrust.dll and crypt32.dll are
// loaded by their full paths in the system folder, never searched for, and only for the check.
#include "app/Win32Platform.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

namespace {

// The calls the check makes, each looked up before any is made.
struct TrustCalls {
    SystemDll trust{L"wintrust.dll"}, crypt{L"crypt32.dll"};
    decltype(&WinVerifyTrust) verify = trust.Get<decltype(&WinVerifyTrust)>("WinVerifyTrust");
    decltype(&WTHelperProvDataFromStateData) data =
        trust.Get<decltype(&WTHelperProvDataFromStateData)>("WTHelperProvDataFromStateData");
    decltype(&WTHelperGetProvSignerFromChain) signer =
        trust.Get<decltype(&WTHelperGetProvSignerFromChain)>("WTHelperGetProvSignerFromChain");
    decltype(&WTHelperGetProvCertFromChain) certificate =
        trust.Get<decltype(&WTHelperGetProvCertFromChain)>("WTHelperGetProvCertFromChain");
    decltype(&CertGetNameStringW) name = crypt.Get<decltype(&CertGetNameStringW)>("CertGetNameStringW");

    // The name of the certificate that signed the file, from the state the check left.
    std::wstring SignerName(HANDLE state) const {
        CRYPT_PROVIDER_DATA* provider = data(state);
        CRYPT_PROVIDER_SGNR* first = provider ? signer(provider, 0, FALSE, 0) : nullptr;
        CRYPT_PROVIDER_CERT* leaf = first ? certificate(first, 0) : nullptr;
        if (!leaf || !leaf->pCert) return L"";
        wchar_t text[256] = {};
        name(leaf->pCert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, text, static_cast<DWORD>(std::size(text)));
        return text;
    }
};

}  // namespace

// As Microsoft's own example of WinVerifyTrust tells them apart: "no signature" stands for an
// unsigned file only when the thread's last error says so too; else the file could not be read.
Signature Win32FileSystem::SignatureOf(const std::wstring& path) {
    const TrustCalls calls;
    WINTRUST_FILE_INFO file{};
    file.cbStruct = sizeof file;
    file.pcwszFilePath = path.c_str();
    WINTRUST_DATA check{};
    check.cbStruct = sizeof check;
    check.dwUIChoice = WTD_UI_NONE;
    check.fdwRevocationChecks = WTD_REVOKE_NONE;
    check.dwUnionChoice = WTD_CHOICE_FILE;
    check.pFile = &file;
    check.dwStateAction = WTD_STATEACTION_VERIFY;
    check.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const HWND noUser = static_cast<HWND>(INVALID_HANDLE_VALUE);
    Signature signature{static_cast<std::uint32_t>(calls.verify(noUser, &action, &check))};
    const DWORD error = GetLastError();
    const auto noSignature = [](DWORD e) {
        return e == ERROR_SUCCESS || e == static_cast<DWORD>(TRUST_E_NOSIGNATURE) ||
               e == static_cast<DWORD>(TRUST_E_SUBJECT_FORM_UNKNOWN) ||
               e == static_cast<DWORD>(TRUST_E_PROVIDER_UNKNOWN);
    };
    if (signature.status == win::TrustNoSignature && !noSignature(error)) signature.status = error;
    if (signature.status == 0) signature.signer = calls.SignerName(check.hWVTStateData);
    check.dwStateAction = WTD_STATEACTION_CLOSE;
    calls.verify(noUser, &action, &check);
    return signature;
}
