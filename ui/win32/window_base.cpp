#include "ui/win32/window_base.h"

namespace tarnvel {

HWND CreateWindowChecked(const WindowSpec& spec, const char* className, void* creationData, const char* what) {
    const HMENU menuOrId = (spec.style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)) : nullptr;
    HWND window = Win32Calls().createWindowEx(spec.exStyle, className, spec.title, spec.style, spec.x, spec.y,
                                              spec.width, spec.height, spec.parent, menuOrId,
                                              ::GetModuleHandleA(nullptr), creationData);
    if (!window)
        ThrowWindowsFailure(what, "CreateWindowExA");
    return window;
}

}  // namespace tarnvel
