#pragma once
// The Options dialog: four option buttons, one per exit mode, preselected
// with the mode in force; "Change" stores the selection and closes the
// window, the title bar's close button closes it storing nothing.

#include <windows.h>

#include "ui/win32/display_scale.h"
#include "ui/win32/gdi_handles.h"
#include "ui/win32/window_base.h"
#include "ui/window_lifetime.h"

namespace tarnvel {

class OptionsWindow : public BaseWindow<OptionsWindow> {
public:
    static constexpr char kClassName[] = "TarnvelOption";

    OptionsWindow(HICON icon, WindowLifetime& lifetime) : icon_(icon), lifetime_(lifetime) {}
    ~OptionsWindow();

    // Loads the window afresh if it is closed, or brings it forward.
    void Show();

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnDestroyed() { lifetime_.WindowClosed(); }

private:
    void Load();
    // The client size and the Change button's icon, at scale_.
    void LayOut();
    // After a change of DPI: the controls' places and fonts, at scale_.
    void PlaceControls();
    void Form_Load();
    void Command1_Click();
    void DrawChangeButton(const DRAWITEMSTRUCT& item) const;

    HICON icon_;
    WindowLifetime& lifetime_;
    DisplayScale scale_;
    ScopedIcon changeIcon_;
    // An invisible window of the program that owns the dialog, so that the
    // dialog has no taskbar button and still belongs to no visible window.
    HWND hiddenOwner_ = nullptr;
};

}  // namespace tarnvel
