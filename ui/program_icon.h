#pragma once
// The program icon of the main, Options and About windows: the icon
// resource at the system's icon size, loaded once (Windows keeps it for the
// run); null when it cannot be loaded.

#include <windows.h>

#include "ui/resource.h"

namespace tarnvel {

inline HICON ProgramIcon() {
    static const HICON icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TARNVEL));
    return icon;
}

}  // namespace tarnvel
