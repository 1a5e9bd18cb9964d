#include "ui/controls/owner_drawn_button.h"

#include <oleacc.h>

#include "ui/controls/dialog_keys.h"
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
        // Enter is the button's own: a button that told the dialog manager it
        // is a push button would be made the default one as it takes the
        // focus, and that new style would end its drawing by its owner.
        case WM_GETDLGCODE:
            return CallOriginal(message, wParam, lParam) | (AsksAboutKey(lParam, VK_RETURN) ? DLGC_WANTMESSAGE : 0);
        case WM_KEYDOWN:
            if (wParam != VK_RETURN)
                return CallOriginal(message, wParam, lParam);
            if (IsFirstPress(lParam))
                CallOriginal(BM_CLICK, 0, 0);
            return 0;
        default:
            return CallOriginal(message, wParam, lParam);
    }
}

}  // namespace tarnvel
