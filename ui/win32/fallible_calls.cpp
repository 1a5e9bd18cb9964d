#include "ui/win32/fallible_calls.h"

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

}  // namespace tarnvel
