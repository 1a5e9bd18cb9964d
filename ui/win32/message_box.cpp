#include "ui/win32/message_box.h"

#include <vector>

#include "ui/win32/fallible_calls.h"

namespace tarnvel {
namespace {

struct Disabling {
    HWND owner;
    std::vector<HWND> disabled;
};

BOOL CALLBACK DisableOne(HWND window, LPARAM context) {
    auto& disabling = *reinterpret_cast<Disabling*>(context);
    if (window != disabling.owner && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
        ::EnableWindow(window, FALSE);
        disabling.disabled.push_back(window);
    }
    return TRUE;
}

}  // namespace

int ShowMessageBox(HWND owner, const std::string& text, const char* title, UINT style) {
    // The owner is disabled by the box itself and enabled again before the
    // box goes, so that it, not another program, is activated then.
    Disabling disabling{owner, {}};
    ::EnumThreadWindows(::GetCurrentThreadId(), &DisableOne, reinterpret_cast<LPARAM>(&disabling));
    const int pressed = Win32Calls().messageBox(owner, text.c_str(), title, style);
    for (HWND window : disabling.disabled)
        if (::IsWindow(window))
            ::EnableWindow(window, TRUE);
    return pressed;
}

}  // namespace tarnvel
