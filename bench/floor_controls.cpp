// The floor of the controls: the empty window of floor_window.cpp with the
// main window's three edit fields and four push buttons on it, at their
// places, made as the program makes them (the same manifest, so the same
// visual-style controls, and the same common-controls call). What it takes
// beyond floor_window is what the program's own controls cost at least.
//
//   floor_controls.exe
#include <windows.h>
#include <commctrl.h>

namespace {

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

struct Control {
    const char* className;
    const char* text;
    DWORD style;
    DWORD exStyle;
    RECT place;  // left, top, width, height in pixels
};

constexpr Control kControls[] = {
    {"EDIT", "00", ES_CENTER | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, {32, 200, 33, 25}},
    {"EDIT", "00", ES_CENTER | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, {76, 200, 33, 25}},
    {"EDIT", "00", ES_CENTER | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, {120, 200, 33, 25}},
    {"BUTTON", "Start", BS_PUSHBUTTON | WS_TABSTOP, 0, {32, 232, 57, 17}},
    {"BUTTON", "Reset", BS_PUSHBUTTON | WS_TABSTOP, 0, {96, 232, 57, 17}},
    {"BUTTON", "About", BS_PUSHBUTTON | WS_TABSTOP, 0, {96, 248, 57, 16}},
    {"BUTTON", "Option", BS_PUSHBUTTON | WS_TABSTOP, 0, {32, 248, 57, 17}},
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = FloorProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "TarnvelFloorControls";
    if (!::RegisterClassA(&windowClass))
        return 1;
    const int width = 184, height = 312;
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    HWND window = ::CreateWindowExA(WS_EX_APPWINDOW, windowClass.lpszClassName, "floor controls", WS_POPUP, x, y,
                                    width, height, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    HFONT font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    for (const Control& c : kControls) {
        HWND control = ::CreateWindowExA(c.exStyle, c.className, c.text, WS_CHILD | WS_VISIBLE | c.style, c.place.left,
                                         c.place.top, c.place.right, c.place.bottom, window, nullptr, instance,
                                         nullptr);
        ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    ::ShowWindow(window, showCommand);
    ::UpdateWindow(window);

    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
