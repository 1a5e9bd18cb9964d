#include "ui/win32/windows_failure.h"

#include <windows.h>

namespace tarnvel {

void ThrowWindowsFailure(const std::string& what, const char* call) {
    const DWORD code = ::GetLastError();
    throw WindowsFailure(what + " could not be made (" + call + " error==" + std::to_string(code) + ").");
}

}  // namespace tarnvel
