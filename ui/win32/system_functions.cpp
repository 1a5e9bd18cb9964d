#include "ui/win32/system_functions.h"

#include <cstring>

namespace tarnvel {

HMODULE LoadSystemLibrary(const char* name) {
    char path[MAX_PATH];
    const UINT length = ::GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + std::strlen(name) >= MAX_PATH)
        return nullptr;
    path[length] = '\\';
    std::strcpy(path + length + 1, name);
    return ::LoadLibraryA(path);
}

HMODULE User32() {
    static const HMODULE user32 = ::GetModuleHandleA("user32");  // ".dll" is implied
    return user32;
}

}  // namespace tarnvel
