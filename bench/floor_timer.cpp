// The least a one-second countdown can do: one window with one button. The
// click starts a 1000 ms window timer; the Nth timer event stops it and asks
// for the session to end, as tarnvel.exe does at zero, with the same flags.
// Nothing else happens on the way (no fields to update, no notice, no
// privilege), so the time from the click to the session-ending call is what
// the system's timers alone give.
//
//   floor_timer.exe [N]      N timer events before the call (3 by default)
//
// The window sits at (24, 24), 240 x 140, with the button "Start" in it.
#include <windows.h>

#include <cstdlib>

namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr int kButtonId = 100;
constexpr UINT kExitFlags = EWX_POWEROFF | EWX_FORCE;
constexpr DWORD kExitReason = 0xFFFFFFFF;

int eventsWanted = 3;
int eventsSeen = 0;

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == kButtonId && HIWORD(wParam) == BN_CLICKED) {
                eventsSeen = 0;
                ::SetTimer(window, kTimerId, 1000, nullptr);
            }
            return 0;
        case WM_TIMER:
            if (wParam == kTimerId && ++eventsSeen >= eventsWanted) {
                ::KillTimer(window, kTimerId);
                ::ExitWindowsEx(kExitFlags, kExitReason);
            }
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    const long wanted = std::strtol(commandLine, nullptr, 10);
    if (wanted > 0)
        eventsWanted = static_cast<int>(wanted);

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = FloorProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"TarnvelFloorTimer";
    if (!::RegisterClassW(&windowClass))
        return 1;
    HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"floor timer",
                                    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 24, 24, 240, 140,
                                    nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    ::CreateWindowExW(0, L"BUTTON", L"Start", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 60, 30, 110, 30,
                      window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)), instance, nullptr);
    ::ShowWindow(window, showCommand);
    ::UpdateWindow(window);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
