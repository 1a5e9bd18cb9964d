#pragma once
// Sizes and places windows laid out in twips (1/1440 inch), the unit the
// layouts are designed in, at the scale of the window's display.

#include <windows.h>

#include "ui/win32/display_scale.h"
#include "ui/win32/window_base.h"

namespace tarnvel {

struct TwipRect {
    int left, top, width, height;
};

// The pixel rectangle of a twip rectangle.
RECT PixelRect(const TwipRect& place, const DisplayScale& scale);

// A child window at a pixel rectangle of its parent's client area.
WindowSpec ChildSpecAt(HWND parent, int id, const RECT& pixels, DWORD style, const char* text = "");

// A child window at a twip rectangle of its parent's client area.
WindowSpec ChildSpec(HWND parent, int id, const TwipRect& place, DWORD style, const DisplayScale& scale,
                     const char* text = "");

// A top-level window of these styles with a client area of the given size
// at the system's DPI, placed where Windows places new windows.
WindowSpec TopLevelSpec(const char* title, DWORD style, DWORD exStyle, int clientWidthTwips, int clientHeightTwips,
                        HWND owner = nullptr);

// Gives a top-level window a client area of the given size at the scale,
// keeping its top-left corner.
void SetClientSize(HWND window, int clientWidthTwips, int clientHeightTwips, const DisplayScale& scale);

// Moves a child to a twip rectangle of its parent's client area and gives it
// the font (redrawn).
void PlaceChild(HWND child, const TwipRect& place, HFONT font, const DisplayScale& scale);

// Moves a child to a pixel rectangle of its parent's client area and, where
// there is one, gives it the font (redrawn).
void PlaceChildAt(HWND child, const RECT& pixels, HFONT font = nullptr);

// Moves a top-level window so that its outer rectangle is centred on the screen.
void CentreOnScreen(HWND window);

// Moves a top-level window the least needed to lie wholly on the work area.
void KeepOnWorkArea(HWND window);

// Makes a standard child control (button, radio button) at a twip rectangle,
// with a font, the first time; places it there again, with the font, when it
// is made already (after a change of DPI). Throws WindowsFailure naming
// `what` when it cannot be made.
HWND LayOutChildControl(HWND parent, int id, const char* className, const char* text, DWORD style,
                        const TwipRect& place, HFONT font, const DisplayScale& scale, const char* what);

}  // namespace tarnvel
