#pragma once
// What a screen reader is told of a window where the system's own account
// of it falls short: a static that is a link, a window that is an alert.
// The system's standard object for the window supplies everything else (its
// name, place, focus and neighbours); this one says what the window is,
// the states that go with that, and the action it takes. Windows asks for
// it with WM_GETOBJECT. oleacc is looked up at run time: where it is
// missing, the window answers as any other does.

#include <windows.h>

namespace tarnvel {

struct AccessibleKind {
    long role;                               // ROLE_SYSTEM_...
    long extraStates = 0;                    // STATE_SYSTEM_... besides the standard ones
    const wchar_t* defaultAction = nullptr;  // the name of its action, where it has one
};

// Posted to the window when a screen reader asks for the default action:
// the window does it as a click would, on its own thread, after the request
// has been answered.
constexpr UINT kWmDoDefaultAction = WM_APP + 0x41;

// The answer to WM_GETOBJECT for the window's client object: the object of
// that kind, or DefWindowProc's answer where oleacc or OLE is missing and
// for every other object asked for.
LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam, const AccessibleKind& kind);

// Tells a screen reader that the window has appeared as an alert.
void AnnounceAlert(HWND window);

}  // namespace tarnvel
