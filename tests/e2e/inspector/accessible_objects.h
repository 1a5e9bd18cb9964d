#pragma once
// What a screen reader reads of a window and its controls, through Active
// Accessibility, as the inspector prints it: each window's client object
// with its name, role, value, state and default action; and the default
// action done, as a screen reader's command does it.

#include <windows.h>

#include <vector>

#include "json_out.h"

namespace tarnvel_inspect {

// {"window": {...}, "controls": [{...}, ...]}, one object per window.
void WriteAccessibleTree(Json& json, HWND top, const std::vector<HWND>& controls);

// Does the default action of the window's client object; the HRESULT.
long DoDefaultAction(HWND window);

}  // namespace tarnvel_inspect
