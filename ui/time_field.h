#pragma once
// One time field: a centred two-character edit control that takes only
// digits and backspace from the keyboard, only all-digit text from a paste,
// selects its whole text when it gets the focus, and tells its owner when
// the focus has left it.

#include <windows.h>

#include <functional>
#include <string>

namespace tarnvel {

class TimeField {
public:
    TimeField() = default;
    TimeField(const TimeField&) = delete;
    TimeField& operator=(const TimeField&) = delete;

    bool Create(HWND parent, int id, int x, int y, int width, int height, HFONT font);
    HWND Handle() const noexcept { return edit_; }

    std::string Text() const;
    void SetText(const std::string& text);
    void SetEnabled(bool enabled);

    // Called once the focus has moved on (posted, so that any message box it
    // shows comes after the focus change has completed).
    std::function<void()> onLeft;

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool ClipboardIsDigitsOnly() const;

    HWND edit_ = nullptr;
    WNDPROC original_ = nullptr;
};

}  // namespace tarnvel
