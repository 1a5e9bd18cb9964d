#pragma once
// The main window's skin holder: a borderless child that keeps its picture
// in a memory image (drawn over its own background colour, which transparent
// picture pixels leave showing), sizes itself to the picture, paints from the
// memory image, and hands every mouse-button press on its bare surface to
// its owner. Controls placed on it are its children.

#include <windows.h>

#include <functional>

#include "ui/gdi_handles.h"
#include "ui/label_control.h"
#include "ui/picture.h"
#include "ui/window_base.h"
#include "ui/window_drag.h"

namespace tarnvel {

class PictureBox : public BaseWindow<PictureBox>, public Backdrop {
public:
    static constexpr wchar_t kClassName[] = L"TarnvelPictureBox";

    bool Create(HWND parent, int id);
    // Takes the picture's size and draws it into the memory image.
    void AssignPicture(const Picture& picture);
    SIZE Size() const noexcept { return size_; }
    // The window region of the picture: every pixel not of the top-left colour.
    ScopedRegion BuildRegion() const;

    void PaintBehind(HWND child, HDC dc) const override;

    // Any mouse button pressed on the bare picture (the press message).
    std::function<void(UINT pressed)> onMouseDown;
    // Follows the mouse with the given window until the pressed button is up.
    void DragWithOtherButton(HWND movedWindow, UINT pressed) { drag_.Begin(Handle(), movedWindow, pressed); }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnDestroyed() {}

private:
    void CopyImage(HDC target, int sourceX, int sourceY, int width, int height) const;

    SIZE size_{};
    MemoryImage memory_;
    WindowDrag drag_;
};

}  // namespace tarnvel
