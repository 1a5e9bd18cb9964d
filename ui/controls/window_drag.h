#pragma once
// Moves a top-level window with the mouse while a button other than the left
// one is held. The system's caption-drag loop ends only when the left button
// is released, so a drag started with another button is followed here: the
// window that received the press captures the mouse until that button is up.

#include <windows.h>

namespace tarnvel {

class WindowDrag {
public:
    // Starts following the mouse; `pressed` is the message of the press.
    void Begin(HWND captureWindow, HWND movedWindow, UINT pressed);
    // Feeds the capturing window's mouse messages; true when one was used.
    bool Handle(UINT message);
    bool Active() const noexcept { return moved_ != nullptr; }

private:
    void Follow() const;
    void End();

    HWND capture_ = nullptr;
    HWND moved_ = nullptr;
    UINT release_ = 0;
    POINT startCursor_{};
    POINT startWindow_{};
};

}  // namespace tarnvel
