#pragma once
// Keys a control takes from the dialog manager for itself: asked with
// WM_GETDLGCODE whether it wants a key, a control that answers
// DLGC_WANTMESSAGE gets the key's WM_KEYDOWN instead of the manager acting
// on it (Enter pressing the default button, say).

#include <windows.h>

namespace tarnvel {

// Whether the key press is the first of a key held down, not a repeat.
inline bool IsFirstPress(LPARAM keyData) {
    return (keyData & 0x40000000) == 0;
}

// Whether WM_GETDLGCODE asks about a press of key (its lParam, the message).
inline bool AsksAboutKey(LPARAM message, WPARAM key) {
    const MSG* asked = reinterpret_cast<const MSG*>(message);
    return asked && asked->message == WM_KEYDOWN && asked->wParam == key;
}

}  // namespace tarnvel
