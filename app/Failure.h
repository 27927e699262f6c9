#pragma once
// A failed system operation: the Windows error code and what it was done to.
// Every failure that ends a user action travels as this type up to the
// unrecoverable-error message, so the user sees the system's own error text.
#include <cstdint>
#include <stdexcept>
#include <string>

class Failure : public std::runtime_error {
public:
    Failure(std::uint32_t code, std::wstring subject)
        : std::runtime_error("system call failed"), code_(code), subject_(std::move(subject)) {}
    std::uint32_t Code() const { return code_; }
    // The file, command or key the failed call was about; may be empty.
    const std::wstring& Subject() const { return subject_; }

private:
    std::uint32_t code_;
    std::wstring subject_;
};
