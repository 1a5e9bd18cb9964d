#pragma once
// Which DPI a window is drawn at. The program declares itself aware of the
// DPI of each monitor (its manifest), so Windows does not stretch its
// windows: Windows 10 and later tell each window its monitor's DPI, Windows
// 8.1 each monitor's, and older Windows one DPI for the whole system. The
// newer functions are looked up when first needed and used only where the
// system has them, so the program still starts on Windows 98.

#include <windows.h>

#include <cstdint>

#include "ui/win32/display_scale.h"

namespace tarnvel {

// Sent to a top-level window when its DPI changes (Windows 8.1 and later):
// the new DPI in the low word of wParam, lParam the RECT Windows suggests.
constexpr UINT kWmDpiChanged = 0x02E0;

// Which family of Windows the DPI is asked of, from the OS-family flag (1 the
// NT family, 0 Windows 95/98/Me). Windows 95/98/Me have one DPI for the whole
// system and none of the functions that tell a window's or a monitor's, so
// there nothing is looked up and only the system's DPI is read. Until this is
// called, too, only the system's DPI is read.
void UseDpiFunctionsOf(std::int32_t whichWindows32);

// The DPI the whole system is set to (Large Fonts, the display settings).
DisplayScale SystemScale();

// The DPI of the monitor the window is on, where the system tells it (NT
// family only); else the system's.
DisplayScale ScaleOfWindow(HWND window);

// The outer size of a window of these styles whose client area is
// width x height pixels, with the frame and caption at the given DPI.
SIZE OuterSizeForClient(DWORD style, DWORD exStyle, int width, int height, const DisplayScale& scale);

// The new DPI of a kWmDpiChanged message.
inline DisplayScale ScaleOfDpiChange(WPARAM wParam) {
    return DisplayScale(LOWORD(wParam));
}

}  // namespace tarnvel
