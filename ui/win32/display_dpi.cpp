#include "ui/win32/display_dpi.h"

#include "ui/win32/gdi_handles.h"
#include "ui/win32/system_functions.h"

namespace tarnvel {
namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using MonitorFromWindowFunction = HMONITOR(WINAPI*)(HWND, DWORD);
using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

constexpr DWORD kMonitorDefaultToNearest = 2;
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

// Whether the functions of later Windows may be looked up: on the NT family only.
bool lookUpNewerFunctions = false;

// Windows 10 1607 and later.
GetDpiForWindowFunction GetDpiForWindowOnce() {
    static const auto function = LookUp<GetDpiForWindowFunction>(User32(), "GetDpiForWindow");
    return function;
}

AdjustWindowRectExForDpiFunction AdjustWindowRectExForDpiOnce() {
    static const auto function = LookUp<AdjustWindowRectExForDpiFunction>(User32(), "AdjustWindowRectExForDpi");
    return function;
}

// Windows 8.1: the DPI of a monitor, from the shell's scaling library,
// loaded only where GetDpiForWindow is missing.
UINT MonitorDpiOf(HWND window) {
    static const auto monitorFromWindow = LookUp<MonitorFromWindowFunction>(User32(), "MonitorFromWindow");
    static const auto getDpiForMonitor = LookUpSystem<GetDpiForMonitorFunction>("shcore.dll", "GetDpiForMonitor");
    if (!monitorFromWindow || !getDpiForMonitor)
        return 0;
    UINT x = 0, y = 0;
    const HMONITOR monitor = monitorFromWindow(window, kMonitorDefaultToNearest);
    return monitor && SUCCEEDED(getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)) ? y : 0;
}

}  // namespace

void UseDpiFunctionsOf(std::int32_t whichWindows32) {
    lookUpNewerFunctions = whichWindows32 == 1;
}

DisplayScale SystemScale() {
    ScopedWindowDc screen(nullptr);
    return DisplayScale(::GetDeviceCaps(screen.get(), LOGPIXELSY));
}

DisplayScale ScaleOfWindow(HWND window) {
    if (!lookUpNewerFunctions)
        return SystemScale();
    if (const GetDpiForWindowFunction getDpiForWindow = GetDpiForWindowOnce()) {
        if (const UINT dpi = getDpiForWindow(window))
            return DisplayScale(static_cast<int>(dpi));
    } else if (const UINT dpi = MonitorDpiOf(window)) {
        return DisplayScale(static_cast<int>(dpi));
    }
    return SystemScale();
}

SIZE OuterSizeForClient(DWORD style, DWORD exStyle, int width, int height, const DisplayScale& scale) {
    RECT rect{0, 0, width, height};
    const AdjustWindowRectExForDpiFunction adjustForDpi =
        lookUpNewerFunctions ? AdjustWindowRectExForDpiOnce() : nullptr;
    if (!adjustForDpi || !adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(scale.Dpi())))
        ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace tarnvel
