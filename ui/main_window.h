#pragma once
// The startup window: borderless, shaped like its skin picture, centred on
// the screen. The skin holds the time fields, their labels, the Start/Pause,
// Reset, About and Option buttons, the close picture and the program icon;
// any mouse button pressed on the bare skin drags the window.

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "countdown/countdown_control.h"
#include "ui/countdown_bindings.h"
#include "ui/gdi_handles.h"
#include "ui/gif_picture.h"
#include "ui/picture_box.h"
#include "ui/secondary_windows.h"
#include "ui/time_field.h"
#include "ui/window_base.h"
#include "ui/window_lifetime.h"

namespace tarnvel {

class MainWindow : public BaseWindow<MainWindow>, private CountdownHost {
public:
    static constexpr char kClassName[] = "TarnvelMain";
    static HICON ClassIcon();

    MainWindow(HICON icon, SecondaryWindows& secondary, WindowLifetime& lifetime)
        : icon_(icon), secondary_(secondary), lifetime_(lifetime) {}
    ~MainWindow() { DestroyDetached(); }

    // Creates the window and its controls, runs the load steps and shows it.
    // Throws WindowsFailure when a part of it cannot be made.
    void Open(int showCommand);

    std::int32_t glngWhichWindows32 = 0;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnDestroyed();

private:
    void CreateControls();
    void CreateDrawnControls();
    void Form_Load();
    void OnCommand(int id);
    void pic1_MouseDown(UINT pressed);

    // CountdownHost
    void ShowConfirmMessage(const std::string& text) override;
    void ShowTimeUpNotice() override;
    bool NeedsShutdownPrivilege() const override;
    void EnableShutdownPrivilege() override;
    void RequestSessionEnd() override;
    void ReportTimerFailure() override;

    HICON icon_;
    SecondaryWindows& secondary_;
    WindowLifetime& lifetime_;

    ScopedFont mingButtonFont_;
    ScopedFont mingFieldFont_;
    ScopedFont titleFont_;
    std::optional<GifPicture> closePicture_;

    PictureBox pic1_;
    std::array<TimeField, kFieldCount> text1_;
    PushButton command1_{kIdleTag};
    PushButton command2_;
    WindowTimer timer1_{1, 1000};
    FieldControls fields_{text1_};
    std::unique_ptr<CountdownControl> controller_;
};

}  // namespace tarnvel
