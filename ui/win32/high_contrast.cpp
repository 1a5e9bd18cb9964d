#include "ui/win32/high_contrast.h"

namespace tarnvel {
namespace {

bool SystemSaysHighContrast() {
    HIGHCONTRASTA setting{};
    setting.cbSize = sizeof setting;
    return ::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0) &&
           (setting.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

bool (*highContrastAnswer)() = &SystemSaysHighContrast;

}  // namespace

bool HighContrastOn() {
    return highContrastAnswer();
}

void AnswerHighContrastWith(bool (*answer)()) {
    highContrastAnswer = answer ? answer : &SystemSaysHighContrast;
}

bool HighContrastMayHaveChanged(UINT message, WPARAM wParam) {
    return message == WM_SYSCOLORCHANGE || (message == WM_SETTINGCHANGE && wParam == SPI_SETHIGHCONTRAST);
}

COLORREF TextColour(COLORREF own) {
    return HighContrastOn() ? ::GetSysColor(COLOR_BTNTEXT) : own;
}

}  // namespace tarnvel
