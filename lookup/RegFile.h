#pragma once
// The .reg file of the undos' old values, which `reg import` takes back.
#include <string>
#include <vector>

#include "lookup/Finding.h"

// As regedit writes one: UTF-16 with its byte order mark, the keys as HKEY_CURRENT_USER\...,
// HKEY_USERS\S-1-5-21-...\..., HKEY_LOCAL_MACHINE\..., each value of its own type and bytes. In a
// run of SYSTEM's (`localSystem`) its current user's keys are SYSTEM's own hive's, HKEY_USERS\S-1-5-18\...
std::string RegFile(const std::vector<Undo>& undos, bool localSystem = false);
