#pragma once
// The startup window: borderless, shaped like its skin picture, centred on
// the screen. The skin holds the time fields, their labels, the Start/Pause,
// Reset, About and Option buttons, the close button (the close picture) and
// the program icon; any mouse button pressed on the bare skin drags the
// window. It is laid out
// at the DPI of its display, and again when that changes.

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "countdown/countdown_control.h"
#include "ui/controls/label_control.h"
#include "ui/controls/owner_drawn_button.h"
#include "ui/controls/picture_box.h"
#include "ui/controls/time_field.h"
#include "ui/countdown_bindings.h"
#include "ui/pictures/gif_picture.h"
#include "ui/secondary_windows.h"
#include "ui/win32/display_scale.h"
#include "ui/win32/gdi_handles.h"
#include "ui/win32/window_base.h"
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
    // The fonts of the controls and labels, at scale_.
    void CreateFonts();
    // The controls with windows at scale_: made the first time, placed
    // again after a change of DPI.
    void LayOutControls();
    // Each of these takes a control's identifier.
    void CreateControl(int id, const RECT& place);
    RECT PlaceOf(int id) const;
    HFONT FontOf(int id) const;
    // The skin at scale_, the window's size and region, and the drawn
    // controls on the skin.
    void ApplySkin();
    void CreateDrawnControls();
    void Form_Load();
    void OnDpiChanged(const DisplayScale& scale, LPARAM suggested);
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

    DisplayScale scale_;
    ScopedFont mingButtonFont_;
    ScopedFont mingFieldFont_;
    ScopedFont titleFont_;
    std::optional<GifPicture> closePicture_;
    ScopedIcon iconImage_;  // the program icon at scale_, drawn on the skin

    PictureBox pic1_;
    std::array<LabelControl, 4> label1_;  // "Hour", "Min", "Sec" and the title
    std::array<TimeField, kFieldCount> text1_;
    PushButton command1_{kIdleTag};
    PushButton command2_;
    OwnerDrawnButton closeButton_;
    WindowTimer timer1_{1, 1000};
    FieldControls fields_{text1_};
    std::unique_ptr<CountdownControl> controller_;
};

}  // namespace tarnvel
