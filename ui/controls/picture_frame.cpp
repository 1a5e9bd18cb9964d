#include "ui/controls/picture_frame.h"

namespace tarnvel {

void PictureFrame::Create(const WindowSpec& spec, const OlePicture& picture, const char* what) {
    picture_ = &picture;
    WindowSpec framed = spec;
    framed.exStyle |= WS_EX_CLIENTEDGE;
    BaseWindow::Create(framed, what);
}

void PictureFrame::SetScale(const DisplayScale& scale) {
    scale_ = scale;
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void PictureFrame::Paint(HDC dc) {
    if (scale_.IsBase()) {
        picture_->Draw(dc, 0, 0);
        return;
    }
    const SIZE size = picture_->PixelSize();
    if (size.cx <= 0 || size.cy <= 0)
        return;
    if (!unscaled_) {
        unscaled_ = MemoryImage(size.cx, size.cy, "The About picture's image");
        picture_->Draw(unscaled_.Dc(), 0, 0);
    }
    // A paint DC's brush origin is (0, 0), as halftone stretching wants it.
    // Windows 95/98/Me have no halftone stretching: there each pixel is
    // repeated, with none of them dropped.
    int previous = ::SetStretchBltMode(dc, HALFTONE);
    if (!previous)
        previous = ::SetStretchBltMode(dc, COLORONCOLOR);
    ::StretchBlt(dc, 0, 0, scale_.Pixels(size.cx), scale_.Pixels(size.cy), unscaled_.Dc(), 0, 0, size.cx, size.cy,
                 SRCCOPY);
    ::SetStretchBltMode(dc, previous);
}

LRESULT PictureFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT)
        return Default(message, wParam, lParam);
    return PaintWith([this](HDC dc) { Paint(dc); });
}

}  // namespace tarnvel
