#pragma once
// Sizes and places windows laid out in twips (15 to a pixel at 96 dots per
// inch), the unit the layouts are designed in.

#include <windows.h>

namespace tarnvel {

constexpr int Px(int twips) {
    return twips / 15;
}

struct TwipRect {
    int left, top, width, height;
};

// The outer size of a window of these styles whose client area is width x height.
SIZE OuterSizeForClient(DWORD style, DWORD exStyle, int width, int height);

// Moves a top-level window so that its outer rectangle is centred on the screen.
void CentreOnScreen(HWND window);

// Makes a standard child control (button, radio button) at a twip rectangle.
HWND CreateChildControl(HWND parent, int id, const wchar_t* className, const wchar_t* text, DWORD style,
                        const TwipRect& place, HFONT font);

}  // namespace tarnvel
