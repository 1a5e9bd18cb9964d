#pragma once
// The one place where a run-time failure ends the program: a message box
// names the error, then the process ends.

#include <exception>

namespace tarnvel {

[[noreturn]] void ReportRuntimeFailureAndEnd(std::exception_ptr failure) noexcept;

}  // namespace tarnvel
