#pragma once
// What a run says on the console, a line at a time.
#include <cstdint>
#include <string>

#include "app/Platform.h"

// A console that fails (a pipe closed by its reader, say) is not written to again: the run goes
// on, and its log tells.
class ConsoleOutput {
public:
    // `lines`: false when the run's lines give way to one report at its end.
    explicit ConsoleOutput(Console& console, bool lines = true) : console_(console), lines_(lines) {}

    void Say(const std::wstring& line) {
        if (lines_) Write(line);
    }
    void Write(const std::wstring& line) {
        if (lost_ || !console_.Available()) return;
        try {
            console_.WriteLine(line);
        } catch (const Failure& f) {
            lost_ = f.Code() ? f.Code() : win::ErrorInternalError;
        }
    }
    // The error that stopped the console; 0 while it works.
    std::uint32_t LostWith() const { return lost_; }

private:
    Console& console_;
    bool lines_;
    std::uint32_t lost_ = 0;
};
