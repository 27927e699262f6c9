#pragma once
// REG_MULTI_SZ values: a run of UTF-16 texts, each ended by its NUL. Read here, apart from the
// adapters, so that the parsing of what malware may have written is tested natively.
#include <string>
#include <string_view>
#include <vector>

#include "app/Platform.h"

// Every text of the value in order, split at each NUL, empty ones kept (a pending deletion's target
// is one); a last byte of an odd count is not a character and is dropped.
std::vector<std::wstring> RegistryList(std::string_view bytes);

// The moves that Windows makes at its next start, as MoveFileEx keeps them: pairs of names,
// \??\C:\from, then \??\C:\to with "!" before it for a replace, or an empty name for a deletion.
// A pair without a source, and a lone last name, are no move.
std::vector<PendingMove> PendingMovesIn(std::string_view multiSz);
