#pragma once
// A part of the program that Windows could not make: a window, a control,
// an embedded picture, the timer. The text names it and the call that
// failed, for the box that tells the user.

#include <stdexcept>
#include <string>

namespace tarnvel {

class WindowsFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "<what> could not be made (<call> error==<code>)", with the last-error
// code read now: call it straight after the call that failed.
[[noreturn]] void ThrowWindowsFailure(const std::string& what, const char* call);

}  // namespace tarnvel
