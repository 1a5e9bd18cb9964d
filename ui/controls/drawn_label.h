#pragma once
// How a label looks: its text, font and colours in its place, drawn on
// whatever shows it (its own window, or the picture it lies on).

#include <windows.h>

#include <string>

namespace tarnvel {

struct DrawnLabel {
    int id = 0;
    RECT place{};      // in the container's client area
    std::string text;  // in the ANSI code page
    HFONT font = nullptr;
    COLORREF textColour = 0;
    bool opaque = false;  // fills its place with the button face colour first
    UINT format = DT_LEFT | DT_WORDBREAK;
    bool border = false;  // a thin single border inside its place

    void Paint(HDC dc) const;
    // Paints it on a DC whose origin is its own top-left corner: the DC of
    // a window that lies where the label does.
    void PaintAtOwnOrigin(HDC dc) const;
};

// A label's text for its font: the full-width colon stays only where the
// font is a Big5 face (which has it); elsewhere an ASCII colon stands in.
// Then the text is converted to the ANSI code page.
std::string LabelText(HDC dc, HFONT font, const std::wstring& text);

}  // namespace tarnvel
