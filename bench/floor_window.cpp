// The least a program can show: one empty window, of the main window's size
// (184 x 312) and centred on the screen as the main window is, painted with
// the system's window colour. It stays until it is closed or ended.
//
//   floor_window.exe [WIDTH HEIGHT]
#include <windows.h>

#include <cstdlib>

namespace {

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    char* rest = commandLine;
    long width = std::strtol(rest, &rest, 10);
    long height = std::strtol(rest, &rest, 10);
    if (width <= 0 || height <= 0) {
        width = 184;
        height = 312;
    }

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = FloorProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"TarnvelFloorWindow";
    if (!::RegisterClassW(&windowClass))
        return 1;
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - static_cast<int>(width)) / 2;
    const int y = (::GetSystemMetrics(SM_CYSCREEN) - static_cast<int>(height)) / 2;
    HWND window = ::CreateWindowExW(WS_EX_APPWINDOW, windowClass.lpszClassName, L"floor window", WS_POPUP, x, y,
                                    static_cast<int>(width), static_cast<int>(height), nullptr, nullptr, instance,
                                    nullptr);
    if (!window)
        return 1;
    ::ShowWindow(window, showCommand);
    ::UpdateWindow(window);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
