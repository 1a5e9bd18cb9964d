#pragma once
// Run-time failures of the countdown arithmetic. No handler inside the
// program traps them: the window layer reports the failure in a message box
// that names it and then ends the program.

#include <stdexcept>
#include <string>

namespace tarnvel {

enum class RuntimeFailureKind {
    TypeMismatch,  // a field text that is not a number
    Overflow,      // floating-point overflow or invalid result, or a 32-bit overflow
};

class RuntimeFailure : public std::runtime_error {
public:
    explicit RuntimeFailure(RuntimeFailureKind kind);

    RuntimeFailureKind kind() const noexcept { return kind_; }
    int code() const noexcept;  // the classic run-time error number (13, 6)

private:
    RuntimeFailureKind kind_;
};

// "Run-time error '13':\n\nType mismatch" and the like.
std::string DescribeRuntimeFailure(const RuntimeFailure& failure);

}  // namespace tarnvel
