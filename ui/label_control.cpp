#include "ui/label_control.h"

#include <windowsx.h>

#include "ui/fonts.h"
#include "ui/gdi_handles.h"

namespace tarnvel {
namespace {

constexpr wchar_t kFullWidthColon = L'\uFF1A';

// Looked up at run time: Windows 98 does not have it (and then the text is
// drawn as it is).
using GetGlyphIndicesFn = DWORD(WINAPI*)(HDC, LPCWSTR, int, LPWORD, DWORD);

bool FontHasGlyph(HDC dc, wchar_t character) {
    static const auto getGlyphIndices = reinterpret_cast<GetGlyphIndicesFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"gdi32.dll"), "GetGlyphIndicesW")));
    if (!getGlyphIndices)
        return true;
    WORD glyph = 0;
    return getGlyphIndices(dc, &character, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) != GDI_ERROR && glyph != 0xFFFF;
}

}  // namespace

std::wstring DrawableText(HDC dc, const std::wstring& text) {
    if (text.find(kFullWidthColon) == std::wstring::npos || FontHasGlyph(dc, kFullWidthColon))
        return text;
    std::wstring drawable = text;
    for (wchar_t& c : drawable)
        if (c == kFullWidthColon)
            c = L':';
    return drawable;
}

bool LabelControl::Create(const ChildPlace& place, const std::wstring& text, const LabelLook& look, DWORD exStyle) {
    text_ = text;
    look_ = look;
    WindowSpec spec;
    spec.title = text.c_str();
    spec.style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    spec.exStyle = exStyle;
    spec.x = place.x;
    spec.y = place.y;
    spec.width = place.width;
    spec.height = place.height;
    spec.parent = place.parent;
    spec.id = place.id;
    return CreateFrom(spec);
}

void LabelControl::SetBorder(bool on) {
    const LONG_PTR style = ::GetWindowLongPtrW(Handle(), GWL_STYLE);
    const LONG_PTR wanted = on ? (style | WS_BORDER) : (style & ~static_cast<LONG_PTR>(WS_BORDER));
    if (wanted == style)
        return;
    ::SetWindowLongPtrW(Handle(), GWL_STYLE, wanted);
    ::SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT LabelControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // painted whole in WM_PAINT
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(Handle(), &ps);
            Paint(dc);
            ::EndPaint(Handle(), &ps);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (onMouseMove)
                onMouseMove();
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            pressed_ = true;
            ::SetCapture(Handle());
            return 0;
        case WM_LBUTTONUP: {
            const bool wasPressed = pressed_;
            pressed_ = false;
            ::ReleaseCapture();
            RECT client;
            ::GetClientRect(Handle(), &client);
            const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (wasPressed && ::PtInRect(&client, at) && onClick)
                onClick();
            return 0;
        }
        case WM_CAPTURECHANGED:
            pressed_ = false;
            return 0;
        default:
            return Default(message, wParam, lParam);
    }
}

void LabelControl::Paint(HDC dc) {
    RECT client;
    ::GetClientRect(Handle(), &client);
    if (look_.transparentOver)
        look_.transparentOver->PaintBehind(Handle(), dc);
    else
        ::FillRect(dc, &client, ::GetSysColorBrush(look_.backgroundSysColour));
    if (picture_)
        picture_->Draw(dc, 0, 0);
    if (icon_)
        ::DrawIconEx(dc, 0, 0, icon_, 32, 32, 0, nullptr, DI_NORMAL);
    if (!text_.empty())
        PaintText(dc, client);
}

void LabelControl::PaintText(HDC dc, RECT area) {
    ScopedSelection font(dc, look_.font ? look_.font : DefaultGuiFont());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, look_.textColour);
    const std::wstring drawable = DrawableText(dc, text_);
    ::DrawTextW(dc, drawable.c_str(), static_cast<int>(drawable.size()), &area, look_.format | DT_NOPREFIX);
}

}  // namespace tarnvel
