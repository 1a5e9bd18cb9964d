#pragma once
// A GIF picture embedded in the program, decoded by the program itself, so
// that start-up needs no picture service of the system's, and drawn at the
// size of the display it is shown on (see PictureAtScale).

#include <string>

#include "ui/pictures/memory_image.h"
#include "pictures/picture_scaling.h"
#include "ui/win32/display_scale.h"

namespace tarnvel {

class GifPicture {
public:
    // The picture at its own size. Throws WindowsFailure naming `what` when
    // the resource is missing or is no GIF the decoder reads.
    GifPicture(int resourceId, const std::string& what);
    // The picture resized by area averaging to width x height.
    GifPicture(int resourceId, int width, int height, const std::string& what);

    int Width() const noexcept { return picture_.width; }
    int Height() const noexcept { return picture_.height; }
    // Draws the picture with its top-left corner at (x, y), clipped to the
    // image; transparent pixels leave what is there.
    void DrawInto(MemoryImage& target, int x, int y) const;

private:
    MaskedPicture picture_;
};

// Artwork drawn at 100 % and at 200 % (`largeResourceId`), for a picture of
// baseWidth x baseHeight pixels at 96 DPI: at 96 DPI and below the 100 %
// drawing, above it the 200 % one, each taken to the scale's size by area
// averaging (the 200 % drawing is used as it is at 192 DPI and enlarged
// above that).
GifPicture PictureAtScale(int resourceId, int largeResourceId, int baseWidth, int baseHeight,
                          const DisplayScale& scale, const std::string& what);

}  // namespace tarnvel
