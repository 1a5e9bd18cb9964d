#include "ui/win32/window_base.h"

namespace tarnvel {
namespace {

int openWindows = 0;

}  // namespace

HWND CreateWindowChecked(const WindowSpec& spec, const char* className, void* creationData, const char* what) {
    const HMENU menuOrId = (spec.style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)) : nullptr;
    HWND window = Win32Calls().createWindowEx(spec.exStyle, className, spec.title, spec.style, spec.x, spec.y,
                                              spec.width, spec.height, spec.parent, menuOrId,
                                              ::GetModuleHandleA(nullptr), creationData);
    if (!window)
        ThrowWindowsFailure(what, "CreateWindowExA");
    return window;
}

void MoveToSuggestedCorner(HWND window, LPARAM suggested) {
    if (const auto* rect = reinterpret_cast<const RECT*>(suggested))
        ::SetWindowPos(window, nullptr, rect->left, rect->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CountWindowOpened() noexcept {
    ++openWindows;
}

void CountWindowGone(bool closed) noexcept {
    if (--openWindows == 0 && closed)
        ::PostQuitMessage(0);
}

}  // namespace tarnvel
