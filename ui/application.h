#pragma once
// The program: its four windows (each created at most once, loaded afresh
// whenever it is shown after being closed) and the message loop, which ends
// when the last window is closed.

#include <windows.h>

#include "ui/about_window.h"
#include "ui/main_window.h"
#include "ui/notice_window.h"
#include "ui/options_window.h"
#include "ui/secondary_windows.h"

namespace tarnvel {

class Application final : private SecondaryWindows, private WindowLifetime {
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

    // SecondaryWindows
    void ShowOptions() override { options_.Show(); }
    void ShowAbout() override { about_.Show(); }
    void ShowNotice() override { notice_.Show(); }
    void CloseNotice() override { notice_.Close(); }
    // WindowLifetime
    void WindowOpened() override { ++openWindows_; }
    void WindowClosed() override;

    HICON icon_;
    int openWindows_ = 0;
    OptionsWindow options_;
    AboutWindow about_;
    NoticeWindow notice_;
    MainWindow main_;
};

}  // namespace tarnvel
