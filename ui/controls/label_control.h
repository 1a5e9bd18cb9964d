#pragma once
// One label of a window, as a person and a screen reader meet it: how it
// looks (its look, drawn where it lies), a real static window in its place
// that a screen reader reads as text (an edit just after it in z-order takes
// its name from it, as Windows names fields by their labels), and what the
// mouse does over it. The label takes the mouse where it lies, as a painted
// label does: a press there is its own, never its window's, moving over it
// calls onHover, and a left press released over it calls onClick. Made a
// link, it also takes the keyboard focus (shown by a focus rectangle),
// Enter or Space follows it, and a screen reader reads it as a link whose
// default action follows it.

#include <windows.h>

#include <functional>
#include <string>

#include "ui/controls/drawn_label.h"
#include "ui/controls/subclassed_control.h"

namespace tarnvel {

class LabelControl : public SubclassedControl<LabelControl> {
public:
    // Draws the label on the DC of its window.
    using Painter = std::function<void(HDC dc)>;

    // Its window at `place` of the parent's client area, with the look's
    // text (in the ANSI code page), drawn by `paint` or else from its look.
    // Throws WindowsFailure naming `what` when it cannot be made.
    void Create(HWND parent, const RECT& place, const char* what, Painter paint = {});
    // Makes it a link: the keyboard and a screen reader follow it as a
    // click does (onClick).
    void MakeLink();
    void Place(const RECT& place);
    void Redraw() { ::InvalidateRect(Handle(), nullptr, FALSE); }

    DrawnLabel look;
    std::function<void()> onHover;
    std::function<void()> onClick;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    void Paint(HDC dc);
    bool ShowsFocus();
    LRESULT HandleMouse(UINT message, LPARAM lParam);
    LRESULT HandleLinkMessage(UINT message, WPARAM wParam, LPARAM lParam);

    Painter paint_;
    bool isLink_ = false;
    bool pressed_ = false;
};

}  // namespace tarnvel
