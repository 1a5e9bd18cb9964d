#pragma once
// Message boxes that stop the whole program while they wait, as message
// boxes do in a program made of dialog boxes: a box owned by one window
// disables only that window, so every other window of the program is
// disabled for the box's lifetime too.

#include <windows.h>

#include <string>

namespace tarnvel {

// MessageBoxA with owner (may be null), text, title and style; returns the
// button pressed.
int ShowMessageBox(HWND owner, const std::string& text, const char* title, UINT style);

}  // namespace tarnvel
