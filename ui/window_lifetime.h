#pragma once
// Top-level windows report their opening and closing, so that the program
// ends when its last window has been closed.

namespace tarnvel {

class WindowLifetime {
public:
    virtual ~WindowLifetime() = default;
    virtual void WindowOpened() = 0;
    virtual void WindowClosed() = 0;
};

}  // namespace tarnvel
