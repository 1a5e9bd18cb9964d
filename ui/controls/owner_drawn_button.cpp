#include "ui/controls/owner_drawn_button.h"

#include <oleacc.h>

#include "ui/win32/accessible_object.h"

namespace tarnvel {
namespace {

constexpr AccessibleKind kPushButton{ROLE_SYSTEM_PUSHBUTTON, 0, L"Press"};

}  // namespace

void OwnerDrawnButton::Create(HWND parent, int id, const char* caption, const TwipRect& place,
                              const DisplayScale& scale, const char* what) {
    CreateControl(ChildSpec(parent, id, place, WS_TABSTOP | BS_OWNERDRAW, scale, caption), "BUTTON", what);
}

LRESULT OwnerDrawnButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_GETOBJECT:
            return AnswerGetObject(Handle(), wParam, lParam, kPushButton);
        case kWmDoDefaultAction:
            return CallOriginal(BM_CLICK, 0, 0);
        case WM_GETDLGCODE:  // a push button, which Enter presses as Space does
            return CallOriginal(message, wParam, lParam) | DLGC_UNDEFPUSHBUTTON;
        default:
            return CallOriginal(message, wParam, lParam);
    }
}

}  // namespace tarnvel
