#pragma once
// Control fonts, sized for the DPI of the window that shows them, as its
// layout is, so that every caption keeps fitting its control.

#include <windows.h>

#include <string>

#include "ui/win32/display_scale.h"
#include "ui/win32/gdi_handles.h"

namespace tarnvel {

struct FontRequest {
    const char* face;  // in the ANSI code page
    double points;
    bool bold = false;
    bool underline = false;
    BYTE charset = ANSI_CHARSET;
};

ScopedFont CreateControlFont(const FontRequest& request, const DisplayScale& scale);

// The font at the scale, made a pixel smaller at a time, down to its 96-DPI
// size, while the text drawn in the format does not fit in the box: a
// font's letters do not all grow by the same factor, so a wrapped text that
// fits at 96 DPI can need another line at a larger size.
ScopedFont CreateFontFitting(const FontRequest& request, const DisplayScale& scale, const std::string& text,
                             const RECT& box, UINT format);

// The Traditional Chinese system face some controls are designed in, by its
// Chinese name where the ANSI code page can spell it, else by its English
// name. Where the system lacks it (Western installs, Wine), a Latin face of
// the same size takes its place: the lookalike that Windows would substitute
// draws Latin letters and digits as empty boxes.
ScopedFont CreateMingFont(double points, const DisplayScale& scale);

// The system's default dialog font (8 pt) at a DPI, for controls with no
// font of their own; made once per DPI and kept for the run.
HFONT DefaultGuiFont(const DisplayScale& scale);

}  // namespace tarnvel
