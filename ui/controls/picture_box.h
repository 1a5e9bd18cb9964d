#pragma once
// The main window's skin holder: a borderless child that keeps its picture
// in a memory image (drawn over its own background colour, which transparent
// picture pixels leave showing), sizes itself to the picture, and paints
// from the memory image, with what its owner draws over the picture. Every
// mouse-button press on it goes to the owner. Controls with windows placed
// on it are its children; those drawn by their owner draw themselves as the
// skin.

#include <windows.h>

#include <functional>

#include "ui/controls/window_drag.h"
#include "ui/pictures/gif_picture.h"
#include "ui/pictures/memory_image.h"
#include "ui/win32/gdi_handles.h"
#include "ui/win32/window_base.h"

namespace tarnvel {

class PictureBox : public BaseWindow<PictureBox> {
public:
    static constexpr char kClassName[] = "TarnvelPictureBox";

    void Create(HWND parent, int id, const char* what);
    // Takes the picture's size and draws it into the memory image.
    void AssignPicture(const GifPicture& picture);
    SIZE Size() const noexcept { return {image_.Width(), image_.Height()}; }
    // The window region of the picture: every pixel not of the top-left colour.
    ScopedRegion BuildRegion() const;

    // What the owner draws over the picture, on its image's DC.
    std::function<void(HDC dc, MemoryImage& image)> drawOver;
    // Draws the picture and what lies over it afresh.
    void Recompose();

    // Paints a child's place as the skin shows it there: the picture with
    // what is drawn over it. The labels and the close button on the skin are
    // windows that look like the skin beneath them.
    void PaintBehind(HWND child, HDC dc);

    // Any mouse button pressed on the picture (the press message, and where).
    std::function<void(UINT pressed, POINT at)> onMouseDown;
    // Follows the mouse with the given window until the pressed button is up.
    void DragWithOtherButton(HWND movedWindow, UINT pressed) { drag_.Begin(Handle(), movedWindow, pressed); }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    void Paint(HDC dc);
    void Compose();
    // An owner-drawn button on the skin: the skin beneath it, and the focus
    // rectangle while it has the focus and the keyboard is in use.
    void DrawButton(const DRAWITEMSTRUCT& item);
    void OnPress(UINT message, LPARAM position);

    MemoryImage image_;
    // The picture with the drawn controls over it, painted from; made again
    // only when the picture or the controls change.
    MemoryImage composed_;
    bool composedCurrent_ = false;
    WindowDrag drag_;
};

}  // namespace tarnvel
