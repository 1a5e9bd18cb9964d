#pragma once
// The boundary every window procedure of the program puts around its
// handlers: no exception leaves it. A part of the program that Windows could
// not make is reported and the program goes on; a run-time failure of the
// count is reported and ends the program.

#include <windows.h>

#include "ui/win32/runtime_error_report.h"

namespace tarnvel {

template <class Handler>
LRESULT HandleGuarded(Handler&& handle) noexcept {
    try {
        return handle();
    } catch (const WindowsFailure& failure) {
        ReportWindowsFailure(failure);
        return 0;
    } catch (...) {
        ReportRuntimeFailureAndEnd(std::current_exception());
    }
}

}  // namespace tarnvel
