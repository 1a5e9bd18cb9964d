#include "ui/controls/time_field.h"

#include "countdown/time_fields.h"

namespace tarnvel {
namespace {

// Private messages the field posts to itself.
constexpr UINT kSelectAllMessage = WM_APP + 1;
constexpr UINT kLeftMessage = WM_APP + 2;
constexpr UINT_PTR kLeftRetryTimer = 0x7A17;
constexpr UINT kLeftRetryMs = 100;

// Whether the focus went from the field to another control or window of the
// program. The field's own top-level window holds the focus only for a moment
// (as when the window is restored) before it gives it back to the field.
bool LeftForOwnWindow(HWND field, HWND newFocus) {
    return newFocus && ::GetWindowThreadProcessId(newFocus, nullptr) == ::GetCurrentThreadId() &&
           newFocus != ::GetAncestor(field, GA_ROOT);
}

bool IsMovingOrSizing() {
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    return ::GetGUIThreadInfo(::GetCurrentThreadId(), &thread) && (thread.flags & GUI_INMOVESIZE) != 0;
}

bool IsKeyDown(int key) {
    return (::GetKeyState(key) & 0x8000) != 0;
}

bool IsPasteKey(WPARAM key) {
    return (key == VK_INSERT && IsKeyDown(VK_SHIFT) && !IsKeyDown(VK_CONTROL)) ||
           (key == 'V' && IsKeyDown(VK_CONTROL));
}

}  // namespace

void TimeField::Create(const WindowSpec& place, HFONT font, const char* what) {
    WindowSpec spec = place;
    spec.title = "00";
    spec.style |= WS_TABSTOP | ES_CENTER | ES_AUTOHSCROLL;
    spec.exStyle |= WS_EX_CLIENTEDGE;
    CreateControl(spec, "EDIT", what);
    ::SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::SendMessageA(Handle(), EM_LIMITTEXT, kFieldMaxLength, 0);
}

std::string TimeField::Text() const {
    char buffer[64] = {};
    ::GetWindowTextA(Handle(), buffer, sizeof buffer);
    return buffer;
}

void TimeField::SetText(const std::string& text) {
    ::SetWindowTextA(Handle(), text.c_str());
}

void TimeField::SetEnabled(bool enabled) {
    ::EnableWindow(Handle(), enabled ? TRUE : FALSE);
}

LRESULT TimeField::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CHAR:
        case WM_IME_CHAR:
            if (FilterKeyPress(static_cast<int>(wParam)) == 0)
                return 0;
            return CallOriginal(WM_CHAR, wParam, lParam);
        case WM_PASTE:
            if (!ClipboardIsDigitsOnly())
                return 0;
            break;
        case WM_KEYDOWN:
            // Some edit controls paste on Shift+Insert without a WM_PASTE.
            if (IsPasteKey(wParam) && !ClipboardIsDigitsOnly())
                return 0;
            break;
        case WM_SETFOCUS:
            // After the click that brought the focus has placed the caret.
            ::PostMessageA(Handle(), kSelectAllMessage, 0, 0);
            break;
        case kSelectAllMessage:
            if (::GetFocus() == Handle())
                ::SendMessageA(Handle(), EM_SETSEL, 0, ::GetWindowTextLengthA(Handle()));
            return 0;
        case WM_KILLFOCUS:
            // Only a move to another window of the program leaves the field;
            // switching to another program and back does not.
            if (LeftForOwnWindow(Handle(), reinterpret_cast<HWND>(wParam)))
                ::PostMessageA(Handle(), kLeftMessage, 0, 0);
            break;
        case kLeftMessage:
            // A message box opened while another window is being moved
            // takes the mouse from the move, which then never ends: wait
            // until the move is over.
            if (IsMovingOrSizing()) {
                ::SetTimer(Handle(), kLeftRetryTimer, kLeftRetryMs, nullptr);
                return 0;
            }
            if (onLeft)
                onLeft();
            return 0;
        case WM_TIMER:
            if (wParam != kLeftRetryTimer)
                break;
            ::KillTimer(Handle(), kLeftRetryTimer);
            ::PostMessageA(Handle(), kLeftMessage, 0, 0);
            return 0;
        default:
            break;
    }
    return CallOriginal(message, wParam, lParam);
}

bool TimeField::ClipboardIsDigitsOnly() const {
    if (!::OpenClipboard(Handle()))
        return false;
    bool digitsOnly = true;  // no text on the clipboard: the paste inserts nothing
    if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
        if (const auto* text = static_cast<const char*>(::GlobalLock(data))) {
            digitsOnly = IsAcceptablePaste(text);
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return digitsOnly;
}

}  // namespace tarnvel
