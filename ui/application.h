#pragma once
// The program: the main window, which opens the others (each created at most
// once, loaded afresh whenever it is shown after being closed), and the
// message loop, which ends when the last window of the program is closed.

#include <windows.h>

#include "ui/main_window.h"

namespace tarnvel {

class Application final {
public:
    Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Opens the main window and runs until no window of the program is left.
    // When the main window cannot be made, says so and returns 1 at once.
    int Run(int showCommand);

    // The first part: opens the main window; false (after saying why) when
    // it cannot be made, with nothing of it left on screen.
    bool Open(int showCommand);

private:
    int RunMessageLoop();

    HICON icon_;
    MainWindow main_;
};

}  // namespace tarnvel
