#pragma once
// Whether Windows' high-contrast mode is on: the texts a person reads then
// take the system's colours, which the user chose to be legible, in place
// of the program's own. Windows says when the setting or the colours change
// (WM_SETTINGCHANGE, WM_SYSCOLORCHANGE).

#include <windows.h>

namespace tarnvel {

bool HighContrastOn();

// Whether the message says high contrast or the system's colours may have
// changed: Windows sends WM_SETTINGCHANGE for every setting, and names this
// one in wParam.
bool HighContrastMayHaveChanged(UINT message, WPARAM wParam);

// A text's colour: its own, or the system's button text in high contrast.
COLORREF TextColour(COLORREF own);

}  // namespace tarnvel
