#pragma once
// One time field: a centred two-character edit control that takes only
// digits and backspace from the keyboard, only all-digit text from a paste,
// selects its whole text when it gets the focus, and tells its owner when
// the focus has left it for another window of the program.

#include <windows.h>

#include <functional>
#include <string>

#include "ui/controls/subclassed_control.h"

namespace tarnvel {

class TimeField : public SubclassedControl<TimeField> {
public:
    // Throws WindowsFailure naming `what` when the edit cannot be made.
    void Create(const WindowSpec& place, HFONT font, const char* what);

    std::string Text() const;
    void SetText(const std::string& text);
    void SetEnabled(bool enabled);

    // Called once the focus has moved on (posted, so that any message box it
    // shows comes after the focus change has completed).
    std::function<void()> onLeft;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    bool ClipboardIsDigitsOnly() const;
};

}  // namespace tarnvel
