#include "ui/controls/window_drag.h"

#include <windowsx.h>

namespace tarnvel {
namespace {

UINT ReleaseOf(UINT pressed) {
    switch (pressed) {
        case WM_RBUTTONDOWN:
            return WM_RBUTTONUP;
        case WM_MBUTTONDOWN:
            return WM_MBUTTONUP;
        default:
            return WM_XBUTTONUP;
    }
}

}  // namespace

void WindowDrag::Begin(HWND captureWindow, HWND movedWindow, UINT pressed) {
    capture_ = captureWindow;
    moved_ = movedWindow;
    release_ = ReleaseOf(pressed);
    // Where the press happened, not where the mouse is by the time the press
    // is handled: a busy moment must not swallow the start of the drag.
    const DWORD pressedAt = ::GetMessagePos();
    startCursor_ = {GET_X_LPARAM(pressedAt), GET_Y_LPARAM(pressedAt)};
    RECT outer;
    ::GetWindowRect(movedWindow, &outer);
    startWindow_ = {outer.left, outer.top};
    ::SetCapture(captureWindow);
}

bool WindowDrag::Handle(UINT message) {
    if (!Active())
        return false;
    if (message == WM_MOUSEMOVE) {
        Follow();
        return true;
    }
    if (message == release_) {
        Follow();
        End();
        return true;
    }
    if (message == WM_CAPTURECHANGED) {
        moved_ = nullptr;  // someone else took the mouse: stop where we are
        return true;
    }
    return false;
}

void WindowDrag::Follow() const {
    POINT cursor;
    ::GetCursorPos(&cursor);
    ::SetWindowPos(moved_, nullptr, startWindow_.x + cursor.x - startCursor_.x, startWindow_.y + cursor.y - startCursor_.y,
                   0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowDrag::End() {
    moved_ = nullptr;
    if (::GetCapture() == capture_)
        ::ReleaseCapture();
}

}  // namespace tarnvel
