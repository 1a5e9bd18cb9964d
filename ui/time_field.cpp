#include "ui/time_field.h"

#include <utility>

#include "countdown/time_fields.h"
#include "ui/runtime_error_report.h"

namespace tarnvel {
namespace {

// Private messages the field posts to itself.
constexpr UINT kSelectAllMessage = WM_APP + 1;
constexpr UINT kLeftMessage = WM_APP + 2;
constexpr UINT_PTR kLeftRetryTimer = 0x7A17;
constexpr UINT kLeftRetryMs = 100;

std::string Narrow(const std::wstring& wide) {
    std::string narrow;
    for (wchar_t c : wide)
        narrow += c < 0x80 ? static_cast<char>(c) : '?';
    return narrow;
}

bool IsOwnWindow(HWND window) {
    return window && ::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId();
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

bool TimeField::Create(HWND parent, int id, int x, int y, int width, int height, HFONT font) {
    edit_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"00",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_CENTER | ES_AUTOHSCROLL, x, y, width, height,
                              parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr),
                              nullptr);
    if (!edit_)
        return false;
    ::SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::SendMessageW(edit_, EM_LIMITTEXT, kFieldMaxLength, 0);
    ::SetWindowLongPtrW(edit_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    original_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TimeField::Procedure)));
    return true;
}

std::string TimeField::Text() const {
    wchar_t buffer[64] = {};
    ::GetWindowTextW(edit_, buffer, 64);
    return Narrow(buffer);
}

void TimeField::SetText(const std::string& text) {
    ::SetWindowTextW(edit_, std::wstring(text.begin(), text.end()).c_str());
}

void TimeField::SetEnabled(bool enabled) {
    ::EnableWindow(edit_, enabled ? TRUE : FALSE);
}

LRESULT CALLBACK TimeField::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<TimeField*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        ReportRuntimeFailureAndEnd(std::current_exception());
    }
}

LRESULT TimeField::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CHAR:
        case WM_IME_CHAR:
            if (FilterKeyPress(static_cast<int>(wParam)) == 0)
                return 0;
            return ::CallWindowProcW(original_, edit_, WM_CHAR, wParam, lParam);
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
            ::PostMessageW(edit_, kSelectAllMessage, 0, 0);
            break;
        case kSelectAllMessage:
            if (::GetFocus() == edit_)
                ::SendMessageW(edit_, EM_SETSEL, 0, ::GetWindowTextLengthW(edit_));
            return 0;
        case WM_KILLFOCUS:
            // Only a move to another window of the program leaves the field;
            // switching to another program and back does not.
            if (IsOwnWindow(reinterpret_cast<HWND>(wParam)))
                ::PostMessageW(edit_, kLeftMessage, 0, 0);
            break;
        case kLeftMessage:
            // A message box opened while another window is being moved
            // takes the mouse from the move, which then never ends: wait
            // until the move is over.
            if (IsMovingOrSizing()) {
                ::SetTimer(edit_, kLeftRetryTimer, kLeftRetryMs, nullptr);
                return 0;
            }
            if (onLeft)
                onLeft();
            return 0;
        case WM_TIMER:
            if (wParam != kLeftRetryTimer)
                break;
            ::KillTimer(edit_, kLeftRetryTimer);
            ::PostMessageW(edit_, kLeftMessage, 0, 0);
            return 0;
        case WM_NCDESTROY: {
            HWND edit = std::exchange(edit_, nullptr);
            ::SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
            ::SetWindowLongPtrW(edit, GWLP_USERDATA, 0);
            return ::CallWindowProcW(original_, edit, message, wParam, lParam);
        }
        default:
            break;
    }
    return ::CallWindowProcW(original_, edit_, message, wParam, lParam);
}

bool TimeField::ClipboardIsDigitsOnly() const {
    if (!::OpenClipboard(edit_))
        return false;
    bool digitsOnly = true;  // no text on the clipboard: the paste inserts nothing
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* text = static_cast<const wchar_t*>(::GlobalLock(data))) {
            const std::wstring wide(text);
            digitsOnly = IsAcceptablePaste(Narrow(wide));
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return digitsOnly;
}

}  // namespace tarnvel
