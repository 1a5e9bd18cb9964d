#include "ui/picture_frame.h"

namespace tarnvel {

void PictureFrame::Create(const WindowSpec& spec, const OlePicture& picture, const char* what) {
    picture_ = &picture;
    WindowSpec framed = spec;
    framed.exStyle |= WS_EX_CLIENTEDGE;
    BaseWindow::Create(framed, what);
}

LRESULT PictureFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT)
        return Default(message, wParam, lParam);
    return PaintWith([this](HDC dc) { picture_->Draw(dc, 0, 0); });
}

}  // namespace tarnvel
