#pragma once
// The time-up notice: a small captioned window with no system menu and no
// close button, shown when the count runs out, just before the session-ending
// request. It has nothing to click; it goes when the main window goes. A
// screen reader reads it as an alert with its one label, a static window
// that shows the label as the notice lays it out.

#include <windows.h>

#include "ui/controls/label_control.h"
#include "ui/win32/gdi_handles.h"
#include "ui/win32/window_base.h"

namespace tarnvel {

class NoticeWindow : public TopLevelWindow<NoticeWindow> {
public:
    static constexpr char kClassName[] = "TarnvelNotice";
    static constexpr bool kClosable = false;  // nothing on screen offers to close it
    static HBRUSH ClassBackground();

    ~NoticeWindow() { DestroyDetached(); }

    // Creates the window the first time, shows it and paints it at once.
    void Show();
    void Close();

private:
    friend class TopLevelWindow<NoticeWindow>;
    void Load();
    // The client size and the label's place and font at Scale().
    void LayOut();
    void OnColoursChanged();
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnClosed() { font_.reset(); }

    ScopedFont font_;
    LabelControl label1_;
};

}  // namespace tarnvel
