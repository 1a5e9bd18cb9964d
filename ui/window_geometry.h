#pragma once
// Sizes and places windows laid out in twips (15 to a pixel at 96 dots per
// inch), the unit the layouts are designed in.

#include <windows.h>

#include "ui/window_base.h"

namespace tarnvel {

constexpr int Px(int twips) {
    return twips / 15;
}

struct TwipRect {
    int left, top, width, height;
};

// The pixel rectangle of a twip rectangle.
RECT PixelRect(const TwipRect& place);

// A child window at a twip rectangle of its parent's client area.
WindowSpec ChildSpec(HWND parent, int id, const TwipRect& place, DWORD style, const char* text = "");

// A top-level window of these styles with a client area of the given size,
// placed where Windows places new windows.
WindowSpec TopLevelSpec(const char* title, DWORD style, DWORD exStyle, int clientWidthTwips, int clientHeightTwips,
                        HWND owner = nullptr);

// Moves a top-level window so that its outer rectangle is centred on the screen.
void CentreOnScreen(HWND window);

// Moves a top-level window the least needed to lie wholly on the work area.
void KeepOnWorkArea(HWND window);

// Makes a standard child control (button, radio button) at a twip rectangle,
// with a font; throws WindowsFailure naming `what` when it cannot be made.
HWND CreateChildControl(HWND parent, int id, const char* className, const char* text, DWORD style,
                        const TwipRect& place, HFONT font, const char* what);

}  // namespace tarnvel
