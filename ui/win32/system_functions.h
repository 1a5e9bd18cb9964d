#pragma once
// Functions that not every Windows the program runs on has, or that live in
// libraries the program should not load before it needs them: each is
// looked up when first needed and used only where it was found, so the
// program starts on Windows 98 and loads no library for a feature not used.

#include <windows.h>

namespace tarnvel {

// A library of the system folder, by its full path: where the system has no
// such library, one of that name beside the program is not loaded instead.
HMODULE LoadSystemLibrary(const char* name);

// The function `name` of module, or null where the module or the function
// is missing.
template <class Function>
Function LookUp(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

// user32, which every window program has loaded.
HMODULE User32();

// The function `name` of a system library, loaded when first asked for.
template <class Function>
Function LookUpSystem(const char* library, const char* name) {
    return LookUp<Function>(LoadSystemLibrary(library), name);
}

}  // namespace tarnvel
