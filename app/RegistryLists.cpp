#include "app/RegistryLists.h"

std::vector<std::wstring> RegistryList(std::string_view bytes) {
    std::vector<std::wstring> items(1);
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        const auto c = static_cast<wchar_t>(
            static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8);
        if (c) items.back().push_back(c);
        else items.emplace_back();
    }
    return items;
}

std::vector<PendingMove> PendingMovesIn(std::string_view multiSz) {
    std::vector<std::wstring> names = RegistryList(multiSz);
    for (std::wstring& n : names) {
        if (n.starts_with(L"!")) n.erase(0, 1);
        if (n.starts_with(L"\\??\\")) n.erase(0, 4);
    }
    std::vector<PendingMove> moves;
    for (std::size_t at = 0; at + 1 < names.size(); at += 2)
        if (!names[at].empty()) moves.push_back({names[at], names[at + 1]});
    return moves;
}
