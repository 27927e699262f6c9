#pragma once
// The Winsock providers' DLLs, judged by the files Windows loads for them.
#include <string>
#include <string_view>

struct PlaceReader;

// Reads both catalogs of the Windows worked on into the reader's report.
void ReadWinsock(PlaceReader& reader);

// The DLL a Winsock protocol entry loads: the text PackedCatalogItem starts with (single-byte
// characters, up to its NUL, within the first MAX_PATH bytes).
std::string CatalogDllPath(std::string_view packed);
// Whether an expanded DLL path lies in the system folder itself (letter case aside).
bool InSystemFolder(std::wstring_view path, std::wstring_view systemDir);
