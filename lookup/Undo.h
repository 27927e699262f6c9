#pragma once
// The switch-off of what is plainly malware's (a proxy or a script on this computer, a browser's
// policy on a computer no one manages), its old values kept first.
#include <optional>
#include <string>
#include <vector>

#include "app/Platform.h"
#include "lookup/Finding.h"

bool AnyUndo(const std::vector<Finding>& findings);

// What came of switching off the findings that have an undo.
struct Undone {
    // Where the registry's old values are; empty when none was changed or that file could not be
    // written (`failure`): nothing is switched off then.
    std::wstring regFile;
    std::vector<std::wstring> copies;  // the old files of Firefox's profiles, kept beside them
    bool earlier = false;  // an earlier file beside hosts held those very bytes: it is named, none written
    std::size_t total = 0;  // to switch off: a block list freed counts once, whatever its entries
    std::size_t done = 0;   // switched off
    std::vector<bool> each;  // by finding: whether it was switched off
    // Each key that could not be written, with the Windows error: the others are switched off all
    // the same, so that one user's key locked against the run keeps no other from its undo.
    std::vector<Failure> notUndone;
    std::optional<Failure> failure;  // the .reg file's
    // A user's setting was switched off: in this session the browsers are told at once (a failure
    // to tell them is kept here); a SYSTEM run's users are told nothing, so their browsers see it
    // when they are started again.
    bool browsersRestart = false;
    std::optional<Failure> notTold;
};
// Keeps the old values first, whole on the disk, in "hosts.yyyyMMdd-HHmmss.reg" beside `hostsPath`,
// which `reg import` takes back (an earlier .reg there with the same bytes is named instead);
// then switches off each finding that has an undo, in order; a Firefox profile's old files are
// kept as copies beside them instead. SYSTEM's own settings are named in
// the file as the hive they are in, never as HKEY_CURRENT_USER, so that an administrator who
// imports it does not get them in their own profile.
Undone UndoFindings(const Platform& s, const std::vector<Finding>& findings, const std::wstring& hostsPath);
