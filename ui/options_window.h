#pragma once
// The Options dialog: four option buttons, one per exit mode, preselected
// with the mode in force; "Change" stores the selection and closes the
// window, the title bar's close button closes it storing nothing.

#include <windows.h>

#include "ui/window_base.h"
#include "ui/window_lifetime.h"

namespace tarnvel {

class OptionsWindow : public BaseWindow<OptionsWindow> {
public:
    static constexpr wchar_t kClassName[] = L"TarnvelOption";

    // owner: a hidden window of the program (not the main window), which keeps
    // the dialog out of the taskbar without tying it to any visible window.
    OptionsWindow(HICON icon, HWND owner, WindowLifetime& lifetime)
        : icon_(icon), owner_(owner), lifetime_(lifetime) {}

    // Loads the window afresh if it is closed, or brings it forward.
    void Show();

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnDestroyed() { lifetime_.WindowClosed(); }

private:
    void Form_Load();
    void Command1_Click();
    void DrawChangeButton(const DRAWITEMSTRUCT& item) const;

    HICON icon_;
    HWND owner_;
    WindowLifetime& lifetime_;
};

}  // namespace tarnvel
