#pragma once
// The Options dialog: four option buttons, one per exit mode, preselected
// with the mode in force; "Change" (or Enter) stores the selection and closes
// the window, the title bar's close button (or Esc) closes it storing nothing.

#include <windows.h>

#include "ui/win32/display_scale.h"
#include "ui/win32/gdi_handles.h"
#include "ui/win32/window_base.h"
#include "ui/win32/window_geometry.h"
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
    // The client size, the controls and the Change button's icon, at scale_.
    void LayOut();
    // A control at scale_: made the first time, placed again later.
    void LayOutControl(int id, const char* caption, DWORD style, const TwipRect& place, const char* what);
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
