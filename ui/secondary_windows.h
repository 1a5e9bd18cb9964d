#pragma once
// What the main window opens and closes besides itself, and how every
// top-level window tells the program that it opened or closed (the program
// ends when its last window has been closed).

namespace tarnvel {

class SecondaryWindows {
public:
    virtual ~SecondaryWindows() = default;
    virtual void ShowOptions() = 0;
    virtual void ShowAbout() = 0;
    virtual void ShowNotice() = 0;
    virtual void CloseNotice() = 0;
};

class WindowLifetime {
public:
    virtual ~WindowLifetime() = default;
    virtual void WindowOpened() = 0;
    virtual void WindowClosed() = 0;
};

}  // namespace tarnvel
