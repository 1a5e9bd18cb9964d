#pragma once
// Control fonts. The windows are laid out in pixels of a 96-dots-per-inch
// display, and their fonts are sized for the same display, so that every
// caption keeps fitting its control whatever the system's DPI setting.

#include <windows.h>

#include "ui/gdi_handles.h"

namespace tarnvel {

struct FontRequest {
    const char* face;  // in the ANSI code page
    double points;
    bool bold = false;
    bool underline = false;
    BYTE charset = ANSI_CHARSET;
};

ScopedFont CreateControlFont(const FontRequest& request);

// The Traditional Chinese system face some controls are designed in, by its
// Chinese name where the ANSI code page can spell it, else by its English
// name. Where the system lacks it (Western installs, Wine), a Latin face of
// the same size takes its place: the lookalike that Windows would substitute
// draws Latin letters and digits as empty boxes.
ScopedFont CreateMingFont(double points);

// The system's default dialog font (8 pt), for controls with no font of their own.
HFONT DefaultGuiFont();

}  // namespace tarnvel
