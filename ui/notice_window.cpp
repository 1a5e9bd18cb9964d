#include "ui/notice_window.h"

#include "ui/fonts.h"
#include "ui/resource.h"
#include "ui/window_geometry.h"

namespace tarnvel {
namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_APPWINDOW;
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kDarkRed = RGB(192, 0, 0);

}  // namespace

HBRUSH NoticeWindow::ClassBackground() {
    static HBRUSH yellow = ::CreateSolidBrush(kYellow);  // lives as long as the class
    return yellow;
}

void NoticeWindow::Show() {
    if (!Exists()) {
        if (!CreateFrom(TopLevelSpec(L"Time's UP!!!", kStyle, kExStyle, 2580, 870)))
            return;
        lifetime_.WindowOpened();
        font_ = CreateControlFont({L"Arial", 9, true});
        LabelLook look;
        look.font = font_.get();
        look.textColour = kDarkRed;
        label1_.Create(PlaceOn(Handle(), IDC_NOTICE_LABEL1, {120, 240, 2295, 495}),
                       L"Orlem: Time to terminate your window program! ^_^", look);
        CentreOnScreen(Handle());
    }
    ::ShowWindow(Handle(), SW_SHOWNORMAL);
    // Painted now: the session-ending request follows straight after.
    ::UpdateWindow(Handle());
    ::GdiFlush();
}

void NoticeWindow::Close() {
    if (Exists())
        ::DestroyWindow(Handle());
}

LRESULT NoticeWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE)
        return 0;  // nothing on screen offers to close it
    return Default(message, wParam, lParam);
}

void NoticeWindow::OnDestroyed() {
    font_.reset();
    lifetime_.WindowClosed();
}

}  // namespace tarnvel
