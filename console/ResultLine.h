#pragma once
// The last line of every run, in ASCII, for scripts in any language:
//   RESULT hosts=... redirected=... other=... changed=... exit=...
#include <optional>
#include <string>

#include "console/ExitCode.h"

enum class HostsState { Unchecked, Clean, Modified, Missing };
enum class Changed { No, Yes, Pending };  // pending: at the next start of Windows

// What the run found and did, field by field; each starts as "not looked at" and "nothing changed".
struct ResultFields {
    HostsState hosts = HostsState::Unchecked;
    std::optional<bool> redirected;     // whether DataBasePath names another folder; nothing: not looked at
    std::optional<std::wstring> other;  // the other places' kinds, or "none"; nothing: not looked at
    Changed changed = Changed::No;
};

// Each field's word, the same in the RESULT line and in /json's report.
const wchar_t* HostsWord(HostsState state);
const wchar_t* RedirectedWord(const std::optional<bool>& redirected);
const wchar_t* ChangedWord(Changed changed);

std::wstring ResultLine(const ResultFields& fields, ExitCode code);
