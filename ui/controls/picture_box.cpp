#include "ui/controls/picture_box.h"

#include <windowsx.h>

#include "ui/pictures/picture_region_win32.h"

namespace tarnvel {
namespace {

// The plain press message of a press or a double-click message.
UINT PressOf(UINT message) {
    switch (message) {
        case WM_LBUTTONDBLCLK:
            return WM_LBUTTONDOWN;
        case WM_RBUTTONDBLCLK:
            return WM_RBUTTONDOWN;
        case WM_MBUTTONDBLCLK:
            return WM_MBUTTONDOWN;
        case WM_XBUTTONDBLCLK:
            return WM_XBUTTONDOWN;
        default:
            return message;
    }
}

}  // namespace

void PictureBox::Create(HWND parent, int id, const char* what) {
    WindowSpec spec;
    spec.style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
    spec.exStyle = WS_EX_CONTROLPARENT;
    spec.x = 0;
    spec.y = 0;
    spec.width = 0;
    spec.height = 0;
    spec.parent = parent;
    spec.id = id;
    BaseWindow::Create(spec, what);
}

void PictureBox::AssignPicture(const GifPicture& picture) {
    image_ = MemoryImage(picture.Width(), picture.Height(), "The skin picture's image");
    composed_ = MemoryImage(picture.Width(), picture.Height(), "The skin picture's image");
    const RECT all{0, 0, picture.Width(), picture.Height()};
    ::FillRect(image_.Dc(), &all, ::GetSysColorBrush(COLOR_BTNFACE));
    picture.DrawInto(image_, 0, 0);
    composedCurrent_ = false;
    ::SetWindowPos(Handle(), nullptr, 0, 0, picture.Width(), picture.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

ScopedRegion PictureBox::BuildRegion() const {
    return CreatePictureRegionFromImage(image_, image_.Width(), image_.Height());
}

void PictureBox::Recompose() {
    composedCurrent_ = false;
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

// Composed in memory, so that the screen never shows the picture without
// its labels.
void PictureBox::Compose() {
    if (composedCurrent_)
        return;
    ::BitBlt(composed_.Dc(), 0, 0, image_.Width(), image_.Height(), image_.Dc(), 0, 0, SRCCOPY);
    if (drawOver)
        drawOver(composed_.Dc(), composed_);
    composedCurrent_ = true;
}

void PictureBox::Paint(HDC dc) {
    if (!image_)
        return;
    Compose();
    ::BitBlt(dc, 0, 0, image_.Width(), image_.Height(), composed_.Dc(), 0, 0, SRCCOPY);
}

void PictureBox::PaintBehind(HWND child, HDC dc) {
    if (!image_ || !child)
        return;
    Compose();
    RECT place{};
    ::GetWindowRect(child, &place);
    ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&place), 2);
    ::BitBlt(dc, 0, 0, place.right - place.left, place.bottom - place.top, composed_.Dc(), place.left, place.top,
             SRCCOPY);
}

void PictureBox::DrawButton(const DRAWITEMSTRUCT& item) {
    PaintBehind(item.hwndItem, item.hDC);
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT))
        ::DrawFocusRect(item.hDC, &item.rcItem);
}

void PictureBox::OnPress(UINT message, LPARAM position) {
    if (onMouseDown)
        onMouseDown(PressOf(message), POINT{GET_X_LPARAM(position), GET_Y_LPARAM(position)});
}

LRESULT PictureBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (drag_.Handle(message))
        return 0;
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            return PaintWith([this](HDC dc) { Paint(dc); });
        case WM_PRINTCLIENT:  // themed controls ask for what lies behind their corners
            if (image_)
                ::BitBlt(reinterpret_cast<HDC>(wParam), 0, 0, image_.Width(), image_.Height(), image_.Dc(), 0, 0,
                         SRCCOPY);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN:
        case WM_LBUTTONDBLCLK:  // the second press of a quick pair is a press too
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
        case WM_XBUTTONDBLCLK:
            OnPress(message, lParam);
            return message == WM_XBUTTONDOWN || message == WM_XBUTTONDBLCLK ? TRUE : 0;
        case WM_DRAWITEM:
            DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_COMMAND:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            // The controls on the picture belong to the main window.
            return ::SendMessageA(::GetParent(Handle()), message, wParam, lParam);
        default:
            return Default(message, wParam, lParam);
    }
}

}  // namespace tarnvel
