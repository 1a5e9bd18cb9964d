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

// Where a child window goes, in pixels of its parent's client area.
struct ChildPlace {
    HWND parent;
    int id;
    int x, y, width, height;
};

ChildPlace PlaceOn(HWND parent, int id, const TwipRect& place);

// A top-level window of these styles with a client area of the given size.
WindowSpec TopLevelSpec(const wchar_t* title, DWORD style, DWORD exStyle, int clientWidthTwips,
                        int clientHeightTwips, HWND owner = nullptr);

// Moves a top-level window so that its outer rectangle is centred on the screen.
void CentreOnScreen(HWND window);

// Makes a standard child control (button, radio button) at a twip rectangle.
HWND CreateChildControl(HWND parent, int id, const wchar_t* className, const wchar_t* text, DWORD style,
                        const TwipRect& place, HFONT font);

}  // namespace tarnvel
