#pragma once
// A push button whose owner draws it (the close picture on the skin), that
// tells a screen reader it is a push button and is pressed by the reader's
// default action, as a click presses it: Windows' own account of a button
// says as much, Wine's says neither. Enter and Space press it, as they press
// any push button.

#include <windows.h>

#include "ui/controls/subclassed_control.h"
#include "ui/win32/window_geometry.h"

namespace tarnvel {

class OwnerDrawnButton : public SubclassedControl<OwnerDrawnButton> {
public:
    // Throws WindowsFailure naming `what` when it cannot be made.
    void Create(HWND parent, int id, const char* caption, const TwipRect& place, const DisplayScale& scale,
                const char* what);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace tarnvel
