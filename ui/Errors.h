// Error boxes for exceptions that reach a window procedure: every handler
// runs guarded, so no exception leaves the procedure.
#pragma once

#include <windows.h>

namespace twui {

// An error box (no owner) for the exception being handled: AppError shows
// its message, anything else a general text.
void ShowCaughtError() noexcept;

// Runs a handler so that no exception leaves the window procedure.
template <typename F>
LRESULT Guarded(LRESULT onError, F&& handler) noexcept {
    try {
        return handler();
    } catch (...) {
        ShowCaughtError();
        return onError;
    }
}

}  // namespace twui
