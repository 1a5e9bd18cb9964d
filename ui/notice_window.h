#pragma once
// The time-up notice: a small captioned window with no system menu and no
// close button, shown when the count runs out, just before the session-ending
// request. It has nothing to click; it goes when the main window goes. A
// screen reader reads it as an alert with its one label, a static window
// that shows the label as the notice lays it out.

#include <windows.h>

#include "ui/controls/drawn_label.h"
#include "ui/controls/label_control.h"
#include "ui/win32/display_scale.h"
#include "ui/win32/gdi_handles.h"
#include "ui/win32/window_base.h"
#include "ui/window_lifetime.h"

namespace tarnvel {

class NoticeWindow : public BaseWindow<NoticeWindow> {
public:
    static constexpr char kClassName[] = "TarnvelNotice";
    static HBRUSH ClassBackground();

    explicit NoticeWindow(WindowLifetime& lifetime) : lifetime_(lifetime) {}
    ~NoticeWindow() { DestroyDetached(); }

    // Creates the window the first time, shows it and paints it at once.
    void Show();
    void Close();

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnDestroyed();

private:
    void Load();
    // The client size and the label's place and font at the scale.
    void LayOut(const DisplayScale& scale);

    WindowLifetime& lifetime_;
    ScopedFont font_;
    DrawnLabel label1_;  // where the label lies and how it looks
    LabelControl label1Window_;
};

}  // namespace tarnvel
