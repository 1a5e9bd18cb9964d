#pragma once
// The windowless labels and pictures of one window: drawn in the order
// added, the last on top, and found under the mouse by position. A left
// press on one that has a click handler takes the mouse; releasing it over
// the same one clicks it.

#include <windows.h>

#include <functional>
#include <vector>

#include "ui/controls/drawn_label.h"
#include "ui/pictures/gif_picture.h"
#include "ui/pictures/memory_image.h"

namespace tarnvel {

class DrawnLayer {
public:
    // picture: drawn under the label, into an image only (see Paint).
    void Add(const DrawnLabel& label, const GifPicture* picture = nullptr, std::function<void()> onClick = {});
    void Clear();

    // The topmost one at the point, or null.
    const DrawnLabel* At(POINT point) const;
    DrawnLabel* Find(int id);

    // Draws them bottom to top on dc; their pictures go into `pixels`, the
    // image behind dc, when there is one.
    void Paint(HDC dc, MemoryImage* pixels = nullptr) const;

    // A press at the point: true when one of them was there (the press is
    // then that one's, not the window's). `window` captures the mouse for a
    // left press on one that can be clicked.
    bool Press(HWND window, POINT point, bool leftButton);
    // Takes the end of a press (WM_LBUTTONUP: a click when released over
    // the one pressed; WM_CAPTURECHANGED: none); false for other messages.
    bool TakeRelease(UINT message, LPARAM position);

    // The client point of a mouse message's position.
    static POINT PointOf(LPARAM position);

private:
    struct Item {
        DrawnLabel label;
        const GifPicture* picture;
        std::function<void()> onClick;
    };

    const Item* ItemAt(POINT point) const;

    std::vector<Item> items_;
    const Item* pressed_ = nullptr;
};

}  // namespace tarnvel
