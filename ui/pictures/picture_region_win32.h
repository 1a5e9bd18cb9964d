#pragma once
// The GDI side of the region builder: pixels read straight from a memory
// image's own bits, rectangles made with CreateRectRgn and united with
// CombineRgn.

#include <windows.h>

#include <cstdint>

#include "ui/pictures/memory_image.h"
#include "ui/win32/gdi_handles.h"

namespace tarnvel {

// The pixels of a memory image in the order and with the colour values that
// GetPixel gives for them (0x00BBGGRR), with no call per pixel.
class ImagePixelSource {
public:
    ImagePixelSource(const MemoryImage& image, float scaleWidth, float scaleHeight)
        : pixels_(image.Pixels()), stride_(image.Width()), width_(scaleWidth), height_(scaleHeight) {}
    float ScaleWidth() const { return width_; }
    float ScaleHeight() const { return height_; }
    std::uint32_t Pixel(int x, int y) const {
        const std::uint32_t rgb = pixels_[y * stride_ + x];
        return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);  // 0x00RRGGBB to 0x00BBGGRR
    }

private:
    const std::uint32_t* pixels_;
    int stride_;
    float width_;
    float height_;
};

struct GdiRegionOps {
    using Handle = HRGN;
    Handle CreateRectRgn(int left, int top, int right, int bottom) { return ::CreateRectRgn(left, top, right, bottom); }
    void CombineOr(Handle destination, Handle source) { ::CombineRgn(destination, destination, source, RGN_OR); }
    void DeleteObject(Handle region) { ::DeleteObject(region); }
};

// The region of the picture in the image's top-left width x height pixels;
// null when it has none.
ScopedRegion CreatePictureRegionFromImage(const MemoryImage& image, int width, int height);

}  // namespace tarnvel
