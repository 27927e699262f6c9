#include "app/DllSearch.h"

void LoadDllsFromSystemOnly(DllSearchCalls& calls) {
    const wchar_t* call = L"SetDefaultDllDirectories";
    std::optional<std::int32_t> done = calls.SetDefaultDllDirectories(win::LoadLibrarySearchSystem32);
    if (!done) {
        call = L"SetDllDirectoryW";
        done = calls.SetDllDirectoryW(L"");  // the empty text, not null, which would put the current folder back
    }
    if (done && !*done) throw Failure(calls.GetLastError(), call);
}
