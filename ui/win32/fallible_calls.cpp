#include "ui/win32/fallible_calls.h"

#include "ui/win32/windows_failure.h"

namespace tarnvel {

ResourceBytes ReadEmbeddedResource(int resourceId) {
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    if (!found)
        return {};
    const void* bytes = ::LockResource(::LoadResource(module, found));
    if (!bytes)
        return {};
    return {static_cast<const std::uint8_t*>(bytes), ::SizeofResource(module, found)};
}

FallibleCalls& Win32Calls() {
    static FallibleCalls calls;
    return calls;
}

void ThrowWindowsFailure(const std::string& what, const char* call) {
    const DWORD code = ::GetLastError();
    throw WindowsFailure(what + " could not be made (" + call + " error==" + std::to_string(code) + ").");
}

}  // namespace tarnvel
