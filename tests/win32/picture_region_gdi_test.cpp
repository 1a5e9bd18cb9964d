// The region builder on real GDI: a small memory bitmap is painted, scanned
// through GetPixel, and the resulting region is probed pixel by pixel; the
// program's own reading of the image's bits must give the same region.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "pictures/picture_region.h"
#include "ui/pictures/memory_image.h"
#include "ui/pictures/picture_region_win32.h"
#include "ui/win32/gdi_handles.h"

namespace tarnvel {
namespace {

constexpr COLORREF kKey = RGB(255, 255, 255);

// The pixels as GetPixel reads them, one call each: the plain reading the
// builder is specified against.
class DcPixelSource {
public:
    DcPixelSource(HDC dc, int width, int height) : dc_(dc), width_(width), height_(height) {}
    float ScaleWidth() const { return static_cast<float>(width_); }
    float ScaleHeight() const { return static_cast<float>(height_); }
    std::uint32_t Pixel(int x, int y) const { return ::GetPixel(dc_, x, y); }

private:
    HDC dc_;
    int width_;
    int height_;
};
constexpr COLORREF kFigure = RGB(20, 30, 40);

class MemoryPicture {
public:
    MemoryPicture(int width, int height) : width_(width), height_(height), image_(width, height, "test image") {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                ::SetPixel(image_.Dc(), x, y, kKey);
    }

    void Paint(int x, int y, COLORREF colour = kFigure) { ::SetPixel(image_.Dc(), x, y, colour); }
    bool IsFigure(int x, int y) const { return ::GetPixel(image_.Dc(), x, y) != ::GetPixel(image_.Dc(), 0, 0); }
    ScopedRegion Region() const {
        DcPixelSource pixels(image_.Dc(), width_, height_);
        GdiRegionOps ops;
        return ScopedRegion(CreatePictureRegion(pixels, ops));
    }
    ScopedRegion RegionFromBits() const { return CreatePictureRegionFromImage(image_, width_, height_); }

private:
    int width_;
    int height_;
    MemoryImage image_;
};

void ExpectRegionIsExactlyTheFigure(const MemoryPicture& picture, HRGN region, int width, int height) {
    for (int y = -1; y <= height; ++y)
        for (int x = -1; x <= width; ++x) {
            const bool inside = x >= 0 && y >= 0 && x < width && y < height && picture.IsFigure(x, y);
            EXPECT_EQ(::PtInRegion(region, x, y) != FALSE, inside) << x << "," << y;
        }
}

TEST(PictureRegionGdi, RunsOfTheExampleRowAndARowToTheEdge) {
    MemoryPicture picture(10, 3);
    for (int x : {3, 4, 5, 8})
        picture.Paint(x, 1);
    for (int x = 6; x < 10; ++x)
        picture.Paint(x, 2);
    ScopedRegion region = picture.Region();
    ASSERT_TRUE(region);
    RECT box{};
    EXPECT_EQ(::GetRgnBox(region.get(), &box), COMPLEXREGION);
    EXPECT_EQ(box.left, 3);
    EXPECT_EQ(box.top, 1);
    EXPECT_EQ(box.right, 10);
    EXPECT_EQ(box.bottom, 3);
    ExpectRegionIsExactlyTheFigure(picture, region.get(), 10, 3);
}

TEST(PictureRegionGdi, RoundFigureWithAHoleOfTheKeyColour) {
    constexpr int kSize = 24;
    MemoryPicture picture(kSize, kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const int dx = x - 12, dy = y - 12;
            if (dx * dx + dy * dy < 100)
                picture.Paint(x, y, RGB(x * 10, y * 10, 60));
        }
    picture.Paint(12, 12, kKey);
    ScopedRegion region = picture.Region();
    ASSERT_TRUE(region);
    EXPECT_FALSE(::PtInRegion(region.get(), 12, 12));
    ExpectRegionIsExactlyTheFigure(picture, region.get(), kSize, kSize);
}

TEST(PictureRegionGdi, ReadingTheImageBitsGivesTheSameRegionAsGetPixel) {
    constexpr int kWidth = 37, kHeight = 23;  // a width that is no multiple of 4 or 8
    MemoryPicture picture(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if ((x * 7 + y * 3) % 5 != 0)
                picture.Paint(x, y, RGB(x * 6, 255 - y * 9, (x + y) * 3));  // every channel in play
    ScopedRegion throughGetPixel = picture.Region();
    ScopedRegion fromBits = picture.RegionFromBits();
    ASSERT_TRUE(throughGetPixel);
    ASSERT_TRUE(fromBits);
    EXPECT_TRUE(::EqualRgn(throughGetPixel.get(), fromBits.get()));
    ExpectRegionIsExactlyTheFigure(picture, fromBits.get(), kWidth, kHeight);
}

TEST(PictureRegionGdi, PictureOfOnlyTheKeyColourHasNoRegion) {
    MemoryPicture picture(5, 4);
    EXPECT_FALSE(picture.Region());
}

}  // namespace
}  // namespace tarnvel
