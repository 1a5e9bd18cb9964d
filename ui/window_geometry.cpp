#include "ui/window_geometry.h"

namespace tarnvel {
namespace {

// The outer size of a window of these styles whose client area is width x height.
SIZE OuterSizeForClient(DWORD style, DWORD exStyle, int width, int height) {
    RECT rect{0, 0, width, height};
    ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace

ChildPlace PlaceOn(HWND parent, int id, const TwipRect& place) {
    return {parent, id, Px(place.left), Px(place.top), Px(place.width), Px(place.height)};
}

WindowSpec TopLevelSpec(const wchar_t* title, DWORD style, DWORD exStyle, int clientWidthTwips,
                        int clientHeightTwips, HWND owner) {
    const SIZE outer = OuterSizeForClient(style, exStyle, Px(clientWidthTwips), Px(clientHeightTwips));
    WindowSpec spec;
    spec.title = title;
    spec.style = style;
    spec.exStyle = exStyle;
    spec.width = outer.cx;
    spec.height = outer.cy;
    spec.parent = owner;
    return spec;
}

void CentreOnScreen(HWND window) {
    RECT outer;
    ::GetWindowRect(window, &outer);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CreateChildControl(HWND parent, int id, const wchar_t* className, const wchar_t* text, DWORD style,
                        const TwipRect& place, HFONT font) {
    HWND control = ::CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, Px(place.left), Px(place.top),
                                     Px(place.width), Px(place.height), parent,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr),
                                     nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

}  // namespace tarnvel
