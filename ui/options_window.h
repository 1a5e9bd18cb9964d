#pragma once
// The Options dialog: four option buttons, one per exit mode, preselected
// with the mode in force, which has the focus when the dialog opens;
// "Change" (or Enter) stores the selection and closes the window, the title
// bar's close button (or Esc) closes it storing nothing.

#include <windows.h>

#include "ui/win32/gdi_handles.h"
#include "ui/win32/window_base.h"

namespace tarnvel {

class OptionsWindow : public TopLevelWindow<OptionsWindow> {
public:
    static constexpr char kClassName[] = "TarnvelOption";

    explicit OptionsWindow(HICON icon) : icon_(icon) {}
    ~OptionsWindow();

    // Loads the window afresh if it is closed, or brings it forward.
    void Show();

private:
    friend class TopLevelWindow<OptionsWindow>;
    void Load();
    // The client size, the controls and the Change button's icon, at Scale().
    void LayOut();
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    int CheckedChoice() const;
    HWND FirstFocus();
    void Form_Load();
    void Command1_Click();
    void DrawChangeButton(const DRAWITEMSTRUCT& item) const;

    HICON icon_;
    ScopedIcon changeIcon_;
    // An invisible window of the program that owns the dialog, so that the
    // dialog has no taskbar button and still belongs to no visible window.
    HWND hiddenOwner_ = nullptr;
};

}  // namespace tarnvel
