// Times the window-region builder on the real skin, in-process, against the
// least that building the same region can cost.
//
// The skin is loaded and drawn exactly as the main window does it (decoded
// by ui/pictures/gif_picture.cpp into a memory image filled with the button face
// colour first); then, alternately, many times:
//   builder  CreatePictureRegionFromImage: the pixels read in place from the
//            memory image's own bits, in the scan's order, CreateRectRgn per
//            run, CombineRgn into the first (what tarnvel.exe runs at start-up)
//   floor    one GetDIBits of the memory image's own bitmap, the same scan
//            over that memory, and a single ExtCreateRegion of all the runs
// and prints the median and spread of each, their ratio, and whether both
// give the same region.
//
//   region_bench.exe [RUNS]      (101 by default)
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ui/pictures/gif_picture.h"
#include "ui/pictures/memory_image.h"
#include "ui/pictures/picture_region_win32.h"
#include "ui/resource.h"
#include "ui/win32/gdi_handles.h"

namespace {

class Stopwatch {
public:
    Stopwatch() {
        ::QueryPerformanceFrequency(&frequency_);
        ::QueryPerformanceCounter(&start_);
    }
    double ElapsedMs() const {
        LARGE_INTEGER now;
        ::QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 / static_cast<double>(frequency_.QuadPart);
    }

private:
    LARGE_INTEGER frequency_{};
    LARGE_INTEGER start_{};
};

// The same region from one read of the bitmap's memory: the builder's scan
// (runs of pixels unlike the top-left one, row by row) over a 32-bit copy,
// every run handed to the system at once.
HRGN FloorRegion(HDC dc, int width, int height) {
    HBITMAP bitmap = static_cast<HBITMAP>(::GetCurrentObject(dc, OBJ_BITMAP));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    if (::GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS) != height)
        return nullptr;

    std::vector<RECT> runs;
    runs.reserve(static_cast<size_t>(height) * 4);
    const std::uint32_t key = pixels[0] & 0x00FFFFFF;
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* row = pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
        int x = 0;
        while (x < width) {
            while (x < width && (row[x] & 0x00FFFFFF) == key)
                ++x;
            const int left = x;
            while (x < width && (row[x] & 0x00FFFFFF) != key)
                ++x;
            if (x > left)
                runs.push_back(RECT{left, y, x, y + 1});
        }
    }
    if (runs.empty())
        return nullptr;

    std::vector<char> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
    auto* region = reinterpret_cast<RGNDATA*>(data.data());
    region->rdh.dwSize = sizeof(RGNDATAHEADER);
    region->rdh.iType = RDH_RECTANGLES;
    region->rdh.nCount = static_cast<DWORD>(runs.size());
    region->rdh.nRgnSize = static_cast<DWORD>(runs.size() * sizeof(RECT));
    RECT bound{width, height, 0, 0};
    for (const RECT& run : runs) {
        bound.left = std::min(bound.left, run.left);
        bound.top = std::min(bound.top, run.top);
        bound.right = std::max(bound.right, run.right);
        bound.bottom = std::max(bound.bottom, run.bottom);
    }
    region->rdh.rcBound = bound;
    std::copy(runs.begin(), runs.end(), reinterpret_cast<RECT*>(region->Buffer));
    return ::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), region);
}

DWORD RectangleCount(HRGN region) {
    const DWORD size = ::GetRegionData(region, 0, nullptr);
    if (size < sizeof(RGNDATAHEADER))
        return 0;
    std::vector<char> data(size);
    ::GetRegionData(region, size, reinterpret_cast<RGNDATA*>(data.data()));
    return reinterpret_cast<const RGNDATA*>(data.data())->rdh.nCount;
}

double Percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    const size_t index = static_cast<size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::atoi(argv[1]) : 101;
    if (runs < 1)
        runs = 1;
    Stopwatch loading;
    const tarnvel::GifPicture skin(IDR_SKIN_GIF, "The skin picture");
    const SIZE size{skin.Width(), skin.Height()};
    // As the skin box's picture assignment does it.
    tarnvel::MemoryImage memory(size.cx, size.cy, "The skin's image");
    const RECT all{0, 0, size.cx, size.cy};
    ::FillRect(memory.Dc(), &all, ::GetSysColorBrush(COLOR_BTNFACE));
    skin.DrawInto(memory, 0, 0);
    const double loadMs = loading.ElapsedMs();

    std::vector<double> builder;
    std::vector<double> floor;
    bool same = true;
    DWORD builderRects = 0;
    DWORD floorRects = 0;
    // One untimed round first: the first calls of each path load and set up
    // what the later ones reuse.
    for (int i = -1; i < runs; ++i) {
        HRGN built = nullptr;
        HRGN least = nullptr;
        double builderMs = 0;
        double floorMs = 0;
        // Alternate which goes first, so that neither always runs on a
        // cache the other warmed.
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == (i % 2 == 0)) {
                Stopwatch watch;
                tarnvel::ScopedRegion region = tarnvel::CreatePictureRegionFromImage(memory, size.cx, size.cy);
                builderMs = watch.ElapsedMs();
                built = region.release();
            } else {
                Stopwatch watch;
                least = FloorRegion(memory.Dc(), size.cx, size.cy);
                floorMs = watch.ElapsedMs();
            }
        }
        if (!built || !least || !::EqualRgn(built, least))
            same = false;
        if (i < 0) {
            builderRects = built ? RectangleCount(built) : 0;
            floorRects = least ? RectangleCount(least) : 0;
        } else {
            builder.push_back(builderMs);
            floor.push_back(floorMs);
        }
        if (built)
            ::DeleteObject(built);
        if (least)
            ::DeleteObject(least);
    }

    const double builderMedian = Percentile(builder, 0.5);
    const double floorMedian = Percentile(floor, 0.5);
    std::printf("skin %ldx%ld px, loaded and drawn in %.2f ms\n", size.cx, size.cy, loadMs);
    std::printf("region builder (pixels read in place, CreateRectRgn + CombineRgn per run): median %.3f ms, "
                "min %.3f, p90 %.3f, over %d runs; %lu rectangles\n",
                builderMedian, Percentile(builder, 0), Percentile(builder, 0.9), runs,
                static_cast<unsigned long>(builderRects));
    std::printf("floor (one GetDIBits, one ExtCreateRegion): median %.3f ms, min %.3f, p90 %.3f; %lu rectangles\n",
                floorMedian, Percentile(floor, 0), Percentile(floor, 0.9), static_cast<unsigned long>(floorRects));
    std::printf("ratio builder/floor: %.1f\n", floorMedian > 0 ? builderMedian / floorMedian : 0.0);
    std::printf("same region: %s\n", same ? "yes" : "NO");
    std::printf("json {\"width\": %ld, \"height\": %ld, \"runs\": %d, \"load_ms\": %.4f, "
                "\"builder_median_ms\": %.4f, \"builder_min_ms\": %.4f, \"builder_p90_ms\": %.4f, "
                "\"floor_median_ms\": %.4f, \"floor_min_ms\": %.4f, \"floor_p90_ms\": %.4f, "
                "\"builder_rects\": %lu, \"floor_rects\": %lu, \"same_region\": %s}\n",
                size.cx, size.cy, runs, loadMs, builderMedian, Percentile(builder, 0), Percentile(builder, 0.9),
                floorMedian, Percentile(floor, 0), Percentile(floor, 0.9), static_cast<unsigned long>(builderRects),
                static_cast<unsigned long>(floorRects), same ? "true" : "false");
    std::fflush(stdout);
    return same ? 0 : 3;
}
