#pragma once
// The program: its artwork, its four windows (each created at most once,
// loaded afresh whenever it is shown after being closed) and the message
// loop, which ends when the last window is closed.

#include <windows.h>

#include "ui/about_window.h"
#include "ui/main_window.h"
#include "ui/notice_window.h"
#include "ui/options_window.h"
#include "ui/picture.h"
#include "ui/window_lifetime.h"

namespace tarnvel {

class Application final : private SecondaryWindows, private WindowLifetime {
public:
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Opens the main window and runs until no window of the program is left.
    int Run(int showCommand);

private:
    // SecondaryWindows
    void ShowOptions() override { options_.Show(); }
    void ShowAbout() override { about_.Show(); }
    void ShowNotice() override { notice_.Show(); }
    void CloseNotice() override { notice_.Close(); }
    // WindowLifetime
    void WindowOpened() override { ++openWindows_; }
    void WindowClosed() override;

    HICON icon_;
    Picture skin_;
    Picture closePicture_;
    HWND hiddenOwner_;
    int openWindows_ = 0;
    OptionsWindow options_;
    AboutWindow about_;
    NoticeWindow notice_;
    MainWindow main_;
};

}  // namespace tarnvel
