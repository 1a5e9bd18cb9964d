#pragma once
// The startup window: borderless, shaped like its skin picture, centred on
// the screen. The skin holds the time fields, their labels, the Start/Pause,
// Reset, About and Option buttons, the close picture and the program icon;
// any mouse button pressed on the bare skin drags the window.

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>

#include "countdown/countdown_control.h"
#include "ui/countdown_bindings.h"
#include "ui/gdi_handles.h"
#include "ui/label_control.h"
#include "ui/picture.h"
#include "ui/picture_box.h"
#include "ui/time_field.h"
#include "ui/window_base.h"
#include "ui/window_lifetime.h"

namespace tarnvel {

// What the main window opens and closes besides itself.
class SecondaryWindows {
public:
    virtual ~SecondaryWindows() = default;
    virtual void ShowOptions() = 0;
    virtual void ShowAbout() = 0;
    virtual void ShowNotice() = 0;
    virtual void CloseNotice() = 0;
};

struct MainArtwork {
    HICON icon;
    const Picture* skin;
    const Picture* closePicture;
};

class MainWindow : public BaseWindow<MainWindow>, private CountdownHost {
public:
    static constexpr wchar_t kClassName[] = L"TarnvelMain";
    static HICON ClassIcon();

    MainWindow(const MainArtwork& artwork, SecondaryWindows& secondary, WindowLifetime& lifetime);

    // Creates the window and its controls, runs the load steps and shows it.
    bool Open(int showCommand);

    std::int32_t glngWhichWindows32 = 0;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnDestroyed();

private:
    void CreateControls();
    void CreateLabels();
    void Form_Load();
    void OnCommand(int id);
    void Text1_LostFocus(int index);
    void pic1_MouseDown(UINT pressed);

    // CountdownHost
    void ShowConfirmMessage(const std::string& text) override;
    void ShowTimeUpNotice() override;
    bool NeedsShutdownPrivilege() const override;
    void EnableShutdownPrivilege() override;
    void RequestSessionEnd() override;

    MainArtwork artwork_;
    SecondaryWindows& secondary_;
    WindowLifetime& lifetime_;

    ScopedFont mingButtonFont_;
    ScopedFont mingFieldFont_;
    ScopedFont titleFont_;

    PictureBox pic1_;
    std::array<TimeField, kFieldCount> text1_;
    std::array<LabelControl, 4> label1_;
    LabelControl image1_;
    LabelControl image2_;
    PushButton command1_{kIdleTag};
    PushButton command2_;
    HWND command3_ = nullptr;
    HWND btnOption_ = nullptr;
    WindowTimer timer1_{1, 1000};
    FieldControls fields_{text1_};
    std::unique_ptr<CountdownControl> controller_;
};

}  // namespace tarnvel
