#pragma once
// Where failures end up in front of the user: a run-time failure of the count
// is named in a message box and ends the program; a part of the program that
// Windows could not make is named in a message box too.

#include <exception>

#include "ui/win32/windows_failure.h"

namespace tarnvel {

[[noreturn]] void ReportRuntimeFailureAndEnd(std::exception_ptr failure) noexcept;

void ReportWindowsFailure(const WindowsFailure& failure) noexcept;

}  // namespace tarnvel
