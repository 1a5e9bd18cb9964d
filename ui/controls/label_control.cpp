#include "ui/controls/label_control.h"

#include <oleacc.h>
#include <windowsx.h>

#include <utility>

#include "ui/controls/dialog_keys.h"
#include "ui/win32/accessible_object.h"
#include "ui/win32/window_geometry.h"

namespace tarnvel {
namespace {

constexpr AccessibleKind kLink{ROLE_SYSTEM_LINK, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED, L"Jump"};

}  // namespace

void LabelControl::Create(HWND parent, const RECT& place, const char* what, Painter paint) {
    paint_ = std::move(paint);
    CreateControl(ChildSpecAt(parent, look.id, place, SS_LEFT | SS_NOPREFIX, look.text.c_str()), "STATIC", what);
}

void LabelControl::MakeLink() {
    isLink_ = true;
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
    if (paint_)
        paint_(dc);
    else
        look.PaintAtOwnOrigin(dc);
    if (isLink_ && ShowsFocus()) {
        RECT client{};
        ::GetClientRect(Handle(), &client);
        ::DrawFocusRect(dc, &client);
    }
}

LRESULT LabelControl::HandleMouse(UINT message, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE:
            if (onHover)
                onHover();
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (onClick) {
                pressed_ = true;
                ::SetCapture(Handle());
            }
            break;
        case WM_LBUTTONUP:
            if (std::exchange(pressed_, false)) {
                ::ReleaseCapture();
                RECT client{};
                ::GetClientRect(Handle(), &client);
                if (::PtInRect(&client, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}))
                    onClick();
            }
            break;
        case WM_CAPTURECHANGED:
            pressed_ = false;
            break;
        default:
            break;
    }
    return 0;
}

LRESULT LabelControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCHITTEST:
            return HTCLIENT;
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
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            return HandleMouse(message, lParam);
        default:
            return isLink_ ? HandleLinkMessage(message, wParam, lParam) : CallOriginal(message, wParam, lParam);
    }
}

LRESULT LabelControl::HandleLinkMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_GETDLGCODE:  // Enter and Space are the link's, not the dialog keys'
            if (AsksAboutKey(lParam, VK_RETURN) || AsksAboutKey(lParam, VK_SPACE))
                return DLGC_WANTMESSAGE;
            return CallOriginal(message, wParam, lParam);
        case WM_KEYDOWN:
            if ((wParam == VK_RETURN || wParam == VK_SPACE) && IsFirstPress(lParam) && onClick)
                onClick();
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_UPDATEUISTATE:
            Redraw();
            return CallOriginal(message, wParam, lParam);
        case WM_GETOBJECT:
            return AnswerGetObject(Handle(), wParam, lParam, kLink);
        case kWmDoDefaultAction:
            if (onClick)
                onClick();
            return 0;
        default:
            return CallOriginal(message, wParam, lParam);
    }
}

}  // namespace tarnvel
