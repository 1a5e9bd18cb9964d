#include "ui/notice_window.h"

#include <oleacc.h>

#include "ui/resource.h"
#include "ui/win32/accessible_object.h"
#include "ui/win32/display_dpi.h"
#include "ui/win32/fonts.h"
#include "ui/win32/high_contrast.h"
#include "ui/win32/window_geometry.h"

namespace tarnvel {
namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_APPWINDOW;
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kDarkRed = RGB(192, 0, 0);
constexpr AccessibleKind kAlert{ROLE_SYSTEM_ALERT};

}  // namespace

HBRUSH NoticeWindow::ClassBackground() {
    static HBRUSH yellow = ::CreateSolidBrush(kYellow);  // lives as long as the class
    return yellow;
}

void NoticeWindow::Show() {
    LoadUnlessOpen([this] { Load(); });
    ::ShowWindow(Handle(), SW_SHOWNORMAL);
    // Painted now: the session-ending request follows straight after.
    ::UpdateWindow(Handle());
    ::GdiFlush();
    AnnounceAlert(Handle());
}

void NoticeWindow::Load() {
    Create(TopLevelSpec("Time's UP!!!", kStyle, kExStyle, 2580, 870), "The time-up notice");
    lifetime_.WindowOpened();
    label1_.id = IDC_NOTICE_LABEL1;
    label1_.text = "Orlem: Time to terminate your window program! ^_^";
    label1_.opaque = true;
    LayOut(ScaleOfWindow(Handle()));
    label1Window_.Create(
        Handle(), label1_.id, label1_.place, label1_.text,
        [this](HDC dc, const RECT&) { label1_.PaintAtOwnOrigin(dc); }, "The time-up notice's label");
    CentreOnScreen(Handle());
}

void NoticeWindow::LayOut(const DisplayScale& scale) {
    SetClientSize(Handle(), 2580, 870, scale);
    label1_.place = PixelRect({120, 240, 2295, 495}, scale);
    font_ = CreateFontFitting({"Arial", 9, true}, scale, label1_.text, label1_.place, label1_.format);
    label1_.font = font_.get();
    label1_.textColour = TextColour(kDarkRed);
    if (label1Window_.Handle())
        label1Window_.Place(label1_.place);
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void NoticeWindow::Close() {
    if (Exists())
        ::DestroyWindow(Handle());
}

LRESULT NoticeWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kWmDpiChanged:
            LayOut(ScaleOfDpiChange(wParam));
            MoveToSuggestedCorner(Handle(), lParam);
            return 0;
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
            if (HighContrastMayHaveChanged(message, wParam)) {
                label1_.textColour = TextColour(kDarkRed);
                label1Window_.Redraw();
            }
            return Default(message, wParam, lParam);
        case WM_GETOBJECT:
            return AnswerGetObject(Handle(), wParam, lParam, kAlert);
        case WM_CLOSE:
            return 0;  // nothing on screen offers to close it
        default:
            return Default(message, wParam, lParam);
    }
}

void NoticeWindow::OnDestroyed() {
    font_.reset();
    lifetime_.WindowClosed();
}

}  // namespace tarnvel
