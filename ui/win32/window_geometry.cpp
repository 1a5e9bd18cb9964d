#include "ui/win32/window_geometry.h"

#include <algorithm>

#include "ui/win32/display_dpi.h"

namespace tarnvel {
namespace {

// The start that keeps [start, start + length) inside [low, high) if it fits,
// else at low.
int Clamp(int start, int length, int low, int high) {
    return std::max(low, std::min(start, high - length));
}

}  // namespace

RECT PixelRect(const TwipRect& place, const DisplayScale& scale) {
    const int left = scale.Px(place.left);
    const int top = scale.Px(place.top);
    return {left, top, left + scale.Px(place.width), top + scale.Px(place.height)};
}

WindowSpec ChildSpec(HWND parent, int id, const TwipRect& place, DWORD style, const DisplayScale& scale,
                     const char* text) {
    return ChildSpecAt(parent, id, PixelRect(place, scale), style, text);
}

WindowSpec ChildSpecAt(HWND parent, int id, const RECT& pixels, DWORD style, const char* text) {
    WindowSpec spec;
    spec.title = text;
    spec.style = WS_CHILD | WS_VISIBLE | style;
    spec.x = pixels.left;
    spec.y = pixels.top;
    spec.width = pixels.right - pixels.left;
    spec.height = pixels.bottom - pixels.top;
    spec.parent = parent;
    spec.id = id;
    return spec;
}

WindowSpec TopLevelSpec(const char* title, DWORD style, DWORD exStyle, int clientWidthTwips, int clientHeightTwips,
                        HWND owner) {
    const DisplayScale scale = SystemScale();
    const SIZE outer =
        OuterSizeForClient(style, exStyle, scale.Px(clientWidthTwips), scale.Px(clientHeightTwips), scale);
    WindowSpec spec;
    spec.title = title;
    spec.style = style;
    spec.exStyle = exStyle;
    spec.width = outer.cx;
    spec.height = outer.cy;
    spec.parent = owner;
    return spec;
}

void SetClientSize(HWND window, int clientWidthTwips, int clientHeightTwips, const DisplayScale& scale) {
    const auto style = static_cast<DWORD>(::GetWindowLongA(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(::GetWindowLongA(window, GWL_EXSTYLE));
    const SIZE wanted{scale.Px(clientWidthTwips), scale.Px(clientHeightTwips)};
    SIZE outer = OuterSizeForClient(style, exStyle, wanted.cx, wanted.cy, scale);
    // Where the frame Windows draws is not the one computed for the DPI
    // (a system that draws every frame at the system's DPI), the client
    // area tells by how much; one correction makes it right.
    for (int attempt = 0; attempt < 2; ++attempt) {
        ::SetWindowPos(window, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT client{};
        ::GetClientRect(window, &client);
        const int dx = wanted.cx - client.right;
        const int dy = wanted.cy - client.bottom;
        if (dx == 0 && dy == 0)
            break;
        outer.cx += dx;
        outer.cy += dy;
    }
}

void PlaceChild(HWND child, const TwipRect& place, HFONT font, const DisplayScale& scale) {
    PlaceChildAt(child, PixelRect(place, scale), font);
}

void PlaceChildAt(HWND child, const RECT& pixels, HFONT font) {
    ::SetWindowPos(child, nullptr, pixels.left, pixels.top, pixels.right - pixels.left, pixels.bottom - pixels.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (font)
        ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
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

HWND LayOutChildControl(HWND parent, int id, const char* className, const char* text, DWORD style,
                        const TwipRect& place, HFONT font, const DisplayScale& scale, const char* what) {
    if (HWND made = ::GetDlgItem(parent, id)) {
        PlaceChild(made, place, font, scale);
        return made;
    }
    HWND control = CreateWindowChecked(ChildSpec(parent, id, place, style, scale, text), className, nullptr, what);
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

}  // namespace tarnvel
