#pragma once
// A GIF picture embedded in the program, decoded by the program itself, so
// that start-up needs no picture service of the system's.

#include <string>

#include "ui/gif_image.h"
#include "ui/memory_image.h"

namespace tarnvel {

class GifPicture {
public:
    // Throws WindowsFailure naming `what` when the resource is missing or
    // is no GIF the decoder reads.
    GifPicture(int resourceId, const std::string& what);

    int Width() const noexcept { return image_.width; }
    int Height() const noexcept { return image_.height; }
    // Draws the picture at its own size with its top-left corner at (x, y),
    // clipped to the image; transparent pixels leave what is there.
    void DrawInto(MemoryImage& target, int x, int y) const;

private:
    GifImage image_;
};

}  // namespace tarnvel
