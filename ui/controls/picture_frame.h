#pragma once
// A picture box with the default sunken border that shows a picture from the
// top-left corner of its client area, cutting off what does not fit. At 96
// DPI the picture is drawn at its own pixel size; at other scales it is
// drawn once at that size into a memory image and stretched from there with
// halftone (averaging) stretching, which suits a photograph, where the
// system has it.

#include <windows.h>

#include "ui/pictures/memory_image.h"
#include "ui/pictures/ole_picture.h"
#include "ui/win32/display_scale.h"
#include "ui/win32/window_base.h"

namespace tarnvel {

class PictureFrame : public BaseWindow<PictureFrame> {
public:
    static constexpr char kClassName[] = "TarnvelPictureFrame";

    // spec: the child's place; the picture must outlive the window.
    void Create(const WindowSpec& spec, const OlePicture& picture, const char* what);
    void SetScale(const DisplayScale& scale);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    void Paint(HDC dc);

    const OlePicture* picture_ = nullptr;
    DisplayScale scale_;
    MemoryImage unscaled_;  // the picture at its own size, made on first need
};

}  // namespace tarnvel
