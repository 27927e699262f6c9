#pragma once
// SHA-256 (FIPS 180-4), fed piece by piece: a file of any size is hashed as it is read.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

class Sha256 {
public:
    Sha256();
    void Add(std::string_view bytes);
    // The digest in small hexadecimal digits, as sha256sum prints it; the hash takes no more bytes.
    std::string Hex();

private:
    void Block(const unsigned char* block);

    std::array<std::uint32_t, 8> state_;
    std::array<unsigned char, 64> pending_{};
    std::size_t pendingSize_ = 0;
    std::uint64_t total_ = 0;
};
