#pragma once
// The switch-off of what is plainly malware's (a proxy or a script on this computer), its old
// values kept first.
#include <optional>
#include <string>
#include <vector>

#include "app/Platform.h"
#include "lookup/Finding.h"

bool AnyUndo(const std::vector<Finding>& findings);

// What came of switching off the findings that have an undo.
struct Undone {
    std::wstring
        regFile;  // where their old values are; empty when it could not be written: nothing is switched off then
    std::size_t done = 0;  // switched off, in their order
    std::optional<Failure> failure;
};
// Keeps the old values first, whole on the disk, in "hosts.yyyyMMdd-HHmmss.reg" beside `hostsPath`,
// which `reg import` takes back; then switches off each finding that has an undo, in order,
// stopping at the first failure.
Undone UndoFindings(const Platform& s, const std::vector<Finding>& findings, const std::wstring& hostsPath);
