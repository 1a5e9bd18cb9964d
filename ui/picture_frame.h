#pragma once
// A picture box with the default sunken border that shows a picture unscaled
// from the top-left corner of its client area, cutting off what does not fit.

#include <windows.h>

#include "ui/ole_picture.h"
#include "ui/window_base.h"

namespace tarnvel {

class PictureFrame : public BaseWindow<PictureFrame> {
public:
    static constexpr char kClassName[] = "TarnvelPictureFrame";

    // spec: the child's place; the picture must outlive the window.
    void Create(const WindowSpec& spec, const OlePicture& picture, const char* what);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    const OlePicture* picture_ = nullptr;
};

}  // namespace tarnvel
