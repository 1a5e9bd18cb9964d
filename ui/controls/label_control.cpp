#include "ui/controls/label_control.h"

#include <oleacc.h>

#include <utility>

#include "ui/controls/dialog_keys.h"
#include "ui/win32/accessible_object.h"
#include "ui/win32/window_geometry.h"

namespace tarnvel {
namespace {

constexpr AccessibleKind kLink{ROLE_SYSTEM_LINK, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED, L"Jump"};

}  // namespace

void LabelControl::Create(HWND parent, int id, const RECT& place, const std::string& text, Painter paint,
                          const char* what) {
    paint_ = std::move(paint);
    CreateControl(ChildSpecAt(parent, id, place, SS_LEFT | SS_NOPREFIX, text.c_str()), "STATIC", what);
}

void LabelControl::MakeLink(std::function<void()> open) {
    open_ = std::move(open);
    const LONG_PTR style = ::GetWindowLongPtrA(Handle(), GWL_STYLE);
    ::SetWindowLongPtrA(Handle(), GWL_STYLE, style | WS_TABSTOP);
}

void LabelControl::Place(const RECT& place) {
    PlaceChildAt(Handle(), place);
    Redraw();
}

// Windows hides focus rectangles until the keyboard is used, where the user
// asks for that.
bool LabelControl::ShowsFocus() {
    return ::GetFocus() == Handle() && !(CallOriginal(WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

void LabelControl::Paint(HDC dc) {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    if (paint_)
        paint_(dc, client);
    if (open_ && ShowsFocus())
        ::DrawFocusRect(dc, &client);
}

LRESULT LabelControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(Handle(), &ps);
            Paint(dc);
            ::EndPaint(Handle(), &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            Paint(reinterpret_cast<HDC>(wParam));
            return 0;
        default:
            break;
    }
    if (!open_)
        return CallOriginal(message, wParam, lParam);
    switch (message) {
        case WM_GETDLGCODE:  // Enter and Space are the link's, not the dialog keys'
            if (AsksAboutKey(lParam, VK_RETURN) || AsksAboutKey(lParam, VK_SPACE))
                return DLGC_WANTMESSAGE;
            return CallOriginal(message, wParam, lParam);
        case WM_KEYDOWN:
            if ((wParam == VK_RETURN || wParam == VK_SPACE) && IsFirstPress(lParam))
                open_();
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_UPDATEUISTATE:
            Redraw();
            return CallOriginal(message, wParam, lParam);
        case WM_GETOBJECT:
            return AnswerGetObject(Handle(), wParam, lParam, kLink);
        case kWmDoDefaultAction:
            open_();
            return 0;
        default:
            return CallOriginal(message, wParam, lParam);
    }
}

}  // namespace tarnvel
