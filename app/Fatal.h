#pragma once
// The unrecoverable-error message: the error's number and the system's own text for it,
// then the process ends with that number as its exit code.
#include <exception>

#include "app/Failure.h"
#include "app/WinNumbers.h"

[[noreturn]] void ShowUnrecoverableError(const Failure& failure);

// Runs `action`; any failure escaping it ends the process with the message above.
template <class Action>
auto Guarded(Action&& action) noexcept -> decltype(action()) {
    try {
        return action();
    } catch (const Failure& f) {
        ShowUnrecoverableError(f);
    } catch (const std::bad_alloc&) {
        ShowUnrecoverableError(Failure(win::ErrorNotEnoughMemory, L""));
    } catch (const std::exception&) {
        ShowUnrecoverableError(Failure(win::ErrorInternalError, L""));
    }
}
