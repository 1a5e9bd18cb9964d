#pragma once
// The startup window: borderless, shaped like its skin picture, centred on
// the screen. The skin holds the time fields, their labels, the Start/Pause,
// Reset, About and Option buttons, the close button (the close picture) and
// the program icon; any mouse button pressed on the bare skin drags the
// window. It opens the Options and About windows, and the time-up notice,
// which goes with it.

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "countdown/countdown_control.h"
#include "ui/about_window.h"
#include "ui/controls/label_control.h"
#include "ui/controls/owner_drawn_button.h"
#include "ui/controls/picture_box.h"
#include "ui/controls/time_field.h"
#include "ui/notice_window.h"
#include "ui/options_window.h"
#include "ui/pictures/gif_picture.h"
#include "ui/resource.h"
#include "ui/win32/gdi_handles.h"
#include "ui/win32/window_base.h"

namespace tarnvel {

struct SkinControlSpec;  // a row of the skin's table of controls

// A push button as the controller sees it: a caption, a tag and an enabled
// state.
class PushButton final : public ButtonControl {
public:
    explicit PushButton(std::string initialTag = "") : tag_(std::move(initialTag)) {}
    void Attach(HWND button);

    void SetCaption(const std::string& caption) override;
    std::string Tag() const override;
    void SetTag(const std::string& tag) override;
    void SetEnabled(bool enabled) override;

private:
    HWND button_ = nullptr;
    std::string tag_;
};

// The main window is the controller's view of its fields and its timer,
// and its host.
class MainWindow : public TopLevelWindow<MainWindow>,
                   private TimeFieldControls,
                   private TimerControl,
                   private CountdownHost {
public:
    static constexpr char kClassName[] = "TarnvelMain";
    static HICON ClassIcon();

    explicit MainWindow(HICON icon) : icon_(icon), options_(icon), about_(icon, IDR_ABOUT_JPG) {}
    ~MainWindow() { DestroyDetached(); }

    // Creates the window and its controls, runs the load steps and shows it.
    // Throws WindowsFailure when a part of it cannot be made.
    void Open(int showCommand) { Present(showCommand); }

    std::int32_t glngWhichWindows32 = 0;

private:
    friend class TopLevelWindow<MainWindow>;
    void Load();
    // The fonts, the controls, the skin and the window's size and region at
    // Scale(): made the first time, made or placed again after a change of DPI.
    void LayOut();
    void CreateFonts();
    // The controls with windows: made the first time, placed again later.
    void LayOutControls();
    void LayOutControl(const SkinControlSpec& spec);
    HFONT FontOf(const SkinControlSpec& spec) const;
    void ApplySkin();
    // The labels, the close picture and the icon as the skin shows them.
    void CreateDrawnControls();
    void DrawOverSkin(HDC dc, MemoryImage& image) const;
    void OnColoursChanged() { CreateDrawnControls(); }
    HWND FirstFocus() { return text1_[kHours].Handle(); }
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Form_Load();
    void OnCommand(int id);
    void pic1_MouseDown(UINT pressed, POINT at);

    // TimeFieldControls
    std::string Text(int index) const override;
    void SetText(int index, const std::string& text) override;
    void SetEnabled(int index, bool enabled) override;
    // TimerControl: one event a second; setting it again restarts its interval
    bool Start() override;
    void Stop() override;
    // CountdownHost
    void ShowConfirmMessage(const std::string& text) override;
    void ShowTimeUpNotice() override;
    bool NeedsShutdownPrivilege() const override;
    void EnableShutdownPrivilege() override;
    void RequestSessionEnd() override;
    void ReportTimerFailure() override;

    HICON icon_;
    OptionsWindow options_;
    AboutWindow about_;
    NoticeWindow notice_;

    ScopedFont mingButtonFont_;
    ScopedFont mingFieldFont_;
    ScopedFont titleFont_;
    std::optional<GifPicture> closePicture_;
    ScopedIcon iconImage_;  // the program icon at Scale(), drawn on the skin

    PictureBox pic1_;
    std::array<LabelControl, 4> label1_;  // "Hour", "Min", "Sec" and the title, drawn on the skin
    std::array<TimeField, kFieldCount> text1_;
    PushButton command1_{kIdleTag};
    PushButton command2_;
    OwnerDrawnButton closeButton_;
    DWORD timerFailure_ = 0;  // the last-error code of the last start that failed
    std::unique_ptr<CountdownControl> controller_;
};

}  // namespace tarnvel
