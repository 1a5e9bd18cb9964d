#pragma once
// Builds a window region from a picture: every pixel whose colour equals the
// top-left pixel's is left out, every other pixel belongs to the region. The
// scan goes row by row, left to right, turns each horizontal run of region
// pixels into a one-pixel-high rectangle and unites the rectangles in order.
//
// Generic over what it reads and what it builds, so that the same scan runs
// on GDI and in tests:
//   PixelSource: float ScaleWidth(), float ScaleHeight(),
//                std::uint32_t Pixel(int x, int y)  (0x00BBGGRR)
//   RegionOps:   using Handle = ...;  (value-initialised Handle{} is "none")
//                Handle CreateRectRgn(int left, int top, int right, int bottom)
//                void CombineOr(Handle destination, Handle source)  // dest |= src
//                void DeleteObject(Handle region)

#include <cmath>
#include <cstdint>

namespace tarnvel {

namespace picture_region_detail {

// The sizes arrive as single-precision numbers: round half to even.
inline std::int32_t RoundSize(float size) {
    return static_cast<std::int32_t>(std::nearbyint(size));
}

template <class RegionOps>
class RunCollector {
public:
    using Handle = typename RegionOps::Handle;

    explicit RunCollector(RegionOps& ops) : ops_(ops) {}

    bool RunOpen() const { return runOpen_; }
    void Open(std::int32_t column) {
        runOpen_ = true;
        start_ = column;
    }

    // Closes the open run of row y with an exclusive right edge.
    void Close(std::int32_t right, std::int32_t y) {
        runOpen_ = false;
        const Handle piece = ops_.CreateRectRgn(start_, y, right, y + 1);
        if (first_) {
            result_ = piece;
            first_ = false;
        } else {
            ops_.CombineOr(result_, piece);
            ops_.DeleteObject(piece);
        }
    }

    Handle Result() const { return result_; }

private:
    RegionOps& ops_;
    bool first_ = true;
    bool runOpen_ = false;
    std::int32_t start_ = 0;
    Handle result_{};
};

}  // namespace picture_region_detail

// Returns the union of all runs, or Handle{} when no pixel differs from the
// key colour or the picture has no pixels (then none is read: an empty
// picture has no top-left pixel). The caller owns the result.
template <class PixelSource, class RegionOps>
typename RegionOps::Handle CreatePictureRegion(PixelSource& picture, RegionOps& ops) {
    const std::int32_t width = picture_region_detail::RoundSize(picture.ScaleWidth());
    const std::int32_t height = picture_region_detail::RoundSize(picture.ScaleHeight());
    picture_region_detail::RunCollector<RegionOps> runs(ops);
    if (width <= 0 || height <= 0)
        return runs.Result();

    const std::uint32_t key = picture.Pixel(0, 0);
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            const bool isKey = picture.Pixel(x, y) == key;
            if (isKey && runs.RunOpen())
                runs.Close(x, y);
            else if (!isKey && !runs.RunOpen())
                runs.Open(x);
        }
        if (runs.RunOpen())
            runs.Close(width, y);
    }
    return runs.Result();
}

}  // namespace tarnvel
