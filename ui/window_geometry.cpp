#include "ui/window_geometry.h"

#include <algorithm>

namespace tarnvel {
namespace {

// The outer size of a window of these styles whose client area is width x height.
SIZE OuterSizeForClient(DWORD style, DWORD exStyle, int width, int height) {
    RECT rect{0, 0, width, height};
    ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

// The start that keeps [start, start + length) inside [low, high) if it fits,
// else at low.
int Clamp(int start, int length, int low, int high) {
    return std::max(low, std::min(start, high - length));
}

}  // namespace

RECT PixelRect(const TwipRect& place) {
    const int left = Px(place.left);
    const int top = Px(place.top);
    return {left, top, left + Px(place.width), top + Px(place.height)};
}

WindowSpec ChildSpec(HWND parent, int id, const TwipRect& place, DWORD style, const char* text) {
    WindowSpec spec;
    spec.title = text;
    spec.style = WS_CHILD | WS_VISIBLE | style;
    spec.x = Px(place.left);
    spec.y = Px(place.top);
    spec.width = Px(place.width);
    spec.height = Px(place.height);
    spec.parent = parent;
    spec.id = id;
    return spec;
}

WindowSpec TopLevelSpec(const char* title, DWORD style, DWORD exStyle, int clientWidthTwips, int clientHeightTwips,
                        HWND owner) {
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

void KeepOnWorkArea(HWND window) {
    RECT work;
    if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0))
        return;
    RECT outer;
    ::GetWindowRect(window, &outer);
    const int x = Clamp(outer.left, outer.right - outer.left, work.left, work.right);
    const int y = Clamp(outer.top, outer.bottom - outer.top, work.top, work.bottom);
    if (x != outer.left || y != outer.top)
        ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CreateChildControl(HWND parent, int id, const char* className, const char* text, DWORD style,
                        const TwipRect& place, HFONT font, const char* what) {
    HWND control = CreateWindowChecked(ChildSpec(parent, id, place, style, text), className, nullptr, what);
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

}  // namespace tarnvel
