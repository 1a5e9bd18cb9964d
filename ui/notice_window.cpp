#include "ui/notice_window.h"

#include <oleacc.h>

#include "ui/resource.h"
#include "ui/win32/accessible_object.h"
#include "ui/win32/fonts.h"
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
    // Painted at once: the session-ending request follows straight after.
    Present(SW_SHOWNORMAL);
    ::GdiFlush();
    AnnounceAlert(Handle());
}

void NoticeWindow::Load() {
    CreateTopLevel(TopLevelSpec("Time's UP!!!", kStyle, kExStyle, 2580, 870), "The time-up notice");
    label1_.look.id = IDC_NOTICE_LABEL1;
    label1_.look.text = "Orlem: Time to terminate your window program! ^_^";
    label1_.look.opaque = true;
    LayOut();
    label1_.Create(Handle(), label1_.look.place, "The time-up notice's label");
    CentreOnScreen(Handle());
}

void NoticeWindow::LayOut() {
    SetClientSize(Handle(), 2580, 870, Scale());
    DrawnLabel& look = label1_.look;
    look.place = PixelRect({120, 240, 2295, 495}, Scale());
    font_ = CreateFontFitting({"Arial", 9, true}, Scale(), look.text, look.place, look.format);
    look.font = font_.get();
    look.textColour = TextColour(kDarkRed);
    if (label1_.Handle())
        label1_.Place(look.place);
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void NoticeWindow::OnColoursChanged() {
    label1_.look.textColour = TextColour(kDarkRed);
    label1_.Redraw();
}

void NoticeWindow::Close() {
    if (Exists())
        ::DestroyWindow(Handle());
}

LRESULT NoticeWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETOBJECT)
        return AnswerGetObject(Handle(), wParam, lParam, kAlert);
    return Default(message, wParam, lParam);
}

}  // namespace tarnvel
