#pragma once
// Something switched on for a scope that may hold inner scopes of its own, like the backup and
// restore privileges around a call that makes another such call: on at the outermost scope's
// start, off at its end, so that an inner scope's end never switches it off under the outer one.
#include <functional>
#include <utility>

class NestedSwitch {
public:
    explicit NestedSwitch(std::function<void(bool on)> set) : set_(std::move(set)) {}
    void Enter() {
        if (depth_++ == 0) set_(true);
    }
    void Leave() {
        if (--depth_ == 0) set_(false);
    }

private:
    std::function<void(bool)> set_;
    int depth_ = 0;
};
