#pragma once
// The GDI side of the region builder: pixels read with GetPixel from a
// device context, rectangles made with CreateRectRgn and united with
// CombineRgn.

#include <windows.h>

#include <cstdint>

#include "ui/gdi_handles.h"

namespace tarnvel {

class DcPixelSource {
public:
    DcPixelSource(HDC dc, float scaleWidth, float scaleHeight) : dc_(dc), width_(scaleWidth), height_(scaleHeight) {}
    float ScaleWidth() const { return width_; }
    float ScaleHeight() const { return height_; }
    std::uint32_t Pixel(int x, int y) const { return ::GetPixel(dc_, x, y); }

private:
    HDC dc_;
    float width_;
    float height_;
};

struct GdiRegionOps {
    using Handle = HRGN;
    Handle CreateRectRgn(int left, int top, int right, int bottom) { return ::CreateRectRgn(left, top, right, bottom); }
    void CombineOr(Handle destination, Handle source) { ::CombineRgn(destination, destination, source, RGN_OR); }
    void DeleteObject(Handle region) { ::DeleteObject(region); }
};

// The region of the picture held in a memory DC; null when it has none.
ScopedRegion CreatePictureRegionFromDc(HDC dc, int width, int height);

}  // namespace tarnvel
