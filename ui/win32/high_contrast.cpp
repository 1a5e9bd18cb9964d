#include "ui/win32/high_contrast.h"

#include "ui/win32/fallible_calls.h"

namespace tarnvel {

bool HighContrastOn() {
    HIGHCONTRASTA setting{};
    setting.cbSize = sizeof setting;
    return Win32Calls().systemParametersInfo(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0) &&
           (setting.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

bool HighContrastMayHaveChanged(UINT message, WPARAM wParam) {
    return message == WM_SYSCOLORCHANGE || (message == WM_SETTINGCHANGE && wParam == SPI_SETHIGHCONTRAST);
}

COLORREF TextColour(COLORREF own) {
    return HighContrastOn() ? ::GetSysColor(COLOR_BTNTEXT) : own;
}

}  // namespace tarnvel
