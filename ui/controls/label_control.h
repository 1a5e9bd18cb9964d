#pragma once
// A label that is a real static control, drawn by its owner: a screen reader
// reads it as text (its window text), an edit just after it in z-order
// takes its name from it, as Windows names fields by their labels, and the
// mouse passes through it to the window beneath, as over a painted label.
// Given an action, it is a link: it takes the keyboard focus (shown by a
// focus rectangle), Enter or Space opens it, and a screen reader reads it
// as a link whose default action opens it; the mouse is still its window's.

#include <windows.h>

#include <functional>
#include <string>

#include "ui/controls/subclassed_control.h"

namespace tarnvel {

class LabelControl : public SubclassedControl<LabelControl> {
public:
    // Draws the label on dc, whose client area is `client`.
    using Painter = std::function<void(HDC dc, const RECT& client)>;

    // place: in the parent's client area; text: in the ANSI code page.
    // Throws WindowsFailure naming `what` when it cannot be made.
    void Create(HWND parent, int id, const RECT& place, const std::string& text, Painter paint, const char* what);
    // Makes it a link that `open` follows.
    void MakeLink(std::function<void()> open);
    void Place(const RECT& place);
    void Redraw() { ::InvalidateRect(Handle(), nullptr, FALSE); }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    void Paint(HDC dc);
    bool ShowsFocus();

    Painter paint_;
    std::function<void()> open_;
};

}  // namespace tarnvel
