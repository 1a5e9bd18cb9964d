#include "ui/pictures/picture_region_win32.h"

#include "pictures/picture_region.h"

namespace tarnvel {

ScopedRegion CreatePictureRegionFromImage(const MemoryImage& image, int width, int height) {
    ImagePixelSource picture(image, static_cast<float>(width), static_cast<float>(height));
    GdiRegionOps ops;
    return ScopedRegion(CreatePictureRegion(picture, ops));
}

}  // namespace tarnvel
