#include "ui/picture_box.h"

#include "ui/picture_region_win32.h"

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

bool PictureBox::Create(HWND parent, int id) {
    WindowSpec spec;
    spec.style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
    spec.exStyle = WS_EX_CONTROLPARENT;
    spec.x = 0;
    spec.y = 0;
    spec.width = 0;
    spec.height = 0;
    spec.parent = parent;
    spec.id = id;
    return CreateFrom(spec);
}

void PictureBox::AssignPicture(const Picture& picture) {
    size_ = picture.SizeInPixels();
    memory_ = MemoryImage(size_.cx, size_.cy);
    const RECT all{0, 0, size_.cx, size_.cy};
    ::FillRect(memory_.Dc(), &all, ::GetSysColorBrush(COLOR_BTNFACE));
    picture.Draw(memory_.Dc(), 0, 0);
    ::SetWindowPos(Handle(), nullptr, 0, 0, size_.cx, size_.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

ScopedRegion PictureBox::BuildRegion() const {
    return CreatePictureRegionFromImage(memory_, size_.cx, size_.cy);
}

void PictureBox::CopyImage(HDC target, int sourceX, int sourceY, int width, int height) const {
    if (memory_)
        ::BitBlt(target, 0, 0, width, height, memory_.Dc(), sourceX, sourceY, SRCCOPY);
}

void PictureBox::PaintBehind(HWND child, HDC dc) const {
    RECT client;
    ::GetClientRect(child, &client);
    POINT origin{0, 0};
    ::MapWindowPoints(child, Handle(), &origin, 1);
    CopyImage(dc, origin.x, origin.y, client.right, client.bottom);
}

LRESULT PictureBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (drag_.Handle(message))
        return 0;
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(Handle(), &ps);
            CopyImage(dc, 0, 0, size_.cx, size_.cy);
            ::EndPaint(Handle(), &ps);
            return 0;
        }
        case WM_PRINTCLIENT:  // themed controls ask for what lies behind their corners
            CopyImage(reinterpret_cast<HDC>(wParam), 0, 0, size_.cx, size_.cy);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN:
        case WM_LBUTTONDBLCLK:  // the second press of a quick pair is a press too
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
        case WM_XBUTTONDBLCLK:
            if (onMouseDown)
                onMouseDown(PressOf(message));
            return message == WM_XBUTTONDOWN || message == WM_XBUTTONDBLCLK ? TRUE : 0;
        case WM_COMMAND:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_DRAWITEM:
            // The controls on the picture belong to the main window.
            return ::SendMessageW(::GetParent(Handle()), message, wParam, lParam);
        default:
            return Default(message, wParam, lParam);
    }
}

}  // namespace tarnvel
