#include "pictures/picture_region.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace tarnvel {
namespace {

constexpr std::uint32_t K = 0x00FFFFFF;  // the key (surround) colour
constexpr std::uint32_t F = 0x00202020;  // a figure colour

struct GridPicture {
    std::vector<std::vector<std::uint32_t>> rows;
    float width = 0;
    float height = 0;
    std::vector<std::pair<int, int>> reads;

    explicit GridPicture(std::vector<std::vector<std::uint32_t>> r) : rows(std::move(r)) {
        height = static_cast<float>(rows.size());
        width = rows.empty() ? 0.0f : static_cast<float>(rows[0].size());
    }
    float ScaleWidth() const { return width; }
    float ScaleHeight() const { return height; }
    std::uint32_t Pixel(int x, int y) {
        reads.emplace_back(x, y);
        return rows[y][x];
    }
};

// Records the region operations: handles are numbers, 0 is none.
struct RecordingRegions {
    using Handle = int;
    std::vector<std::array<int, 4>> rects;
    std::vector<std::string> log;
    int CreateRectRgn(int l, int t, int r, int b) {
        rects.push_back({l, t, r, b});
        log.push_back("create " + std::to_string(rects.size()));
        return static_cast<int>(rects.size());
    }
    void CombineOr(int destination, int source) {
        log.push_back("or " + std::to_string(destination) + " " + std::to_string(source));
    }
    void DeleteObject(int region) { log.push_back("delete " + std::to_string(region)); }
};

using Rects = std::vector<std::array<int, 4>>;

TEST(CreatePictureRegion, OnePixelPictureHasNoRegion) {
    GridPicture picture(std::vector<std::vector<std::uint32_t>>{{F}});
    RecordingRegions regions;
    EXPECT_EQ(CreatePictureRegion(picture, regions), 0);
    EXPECT_TRUE(regions.rects.empty());
    EXPECT_EQ(picture.reads.size(), 2u) << "the key, then the pixel itself";
}

TEST(CreatePictureRegion, RunsBecomeRectanglesUnitedIntoTheFirst) {
    // Columns 3..5 and 8 of a 10-wide row; the next row runs to the right edge.
    GridPicture picture({{K, K, K, F, F, F, K, K, F, K}, {K, K, K, K, K, K, K, F, F, F}});
    RecordingRegions regions;
    EXPECT_EQ(CreatePictureRegion(picture, regions), 1);
    EXPECT_EQ(regions.rects, (Rects{{3, 0, 6, 1}, {8, 0, 9, 1}, {7, 1, 10, 2}}));
    EXPECT_EQ(regions.log, (std::vector<std::string>{"create 1", "create 2", "or 1 2", "delete 2", "create 3",
                                                     "or 1 3", "delete 3"}));
}

TEST(CreatePictureRegion, NoRunCarriesIntoTheNextRow) {
    GridPicture picture({{K, F, F}, {F, F, K}});
    RecordingRegions regions;
    CreatePictureRegion(picture, regions);
    EXPECT_EQ(regions.rects, (Rects{{1, 0, 3, 1}, {0, 1, 2, 2}}));
}

TEST(CreatePictureRegion, ReadsEveryPixelOnceInRowOrderAfterTheKey) {
    GridPicture picture({{K, F}, {F, K}, {K, K}});
    RecordingRegions regions;
    CreatePictureRegion(picture, regions);
    EXPECT_EQ(picture.reads,
              (std::vector<std::pair<int, int>>{{0, 0}, {0, 0}, {1, 0}, {0, 1}, {1, 1}, {0, 2}, {1, 2}}));
}

TEST(CreatePictureRegion, KeyColouredPixelsInsideTheFigureMakeHoles) {
    // The top-left pixel belongs to the figure: its colour is cut out everywhere.
    GridPicture picture({{F, K, K}, {K, F, K}, {K, K, F}});
    RecordingRegions regions;
    CreatePictureRegion(picture, regions);
    EXPECT_EQ(regions.rects, (Rects{{1, 0, 3, 1}, {0, 1, 1, 2}, {2, 1, 3, 2}, {0, 2, 2, 3}}));
}

TEST(CreatePictureRegion, BlankRowsAndAllKeyPicturesAddNothing) {
    GridPicture blank({{K, K}, {K, K}});
    RecordingRegions none;
    EXPECT_EQ(CreatePictureRegion(blank, none), 0);
    EXPECT_TRUE(none.log.empty());

    GridPicture framed({{K, K, K, K}, {K, F, F, K}, {K, K, K, K}});
    RecordingRegions one;
    EXPECT_EQ(CreatePictureRegion(framed, one), 1);
    EXPECT_EQ(one.rects, (Rects{{1, 1, 3, 2}}));
}

TEST(CreatePictureRegion, SizesAreRoundedHalfToEvenAndNonPositiveSizesReadOnlyTheKey) {
    GridPicture picture({{K, F, F, F}, {K, F, F, F}, {K, F, F, F}});
    picture.width = 2.5f;   // rounds to 2
    picture.height = 1.5f;  // rounds to 2
    RecordingRegions regions;
    CreatePictureRegion(picture, regions);
    EXPECT_EQ(regions.rects, (Rects{{1, 0, 2, 1}, {1, 1, 2, 2}}));

    GridPicture empty(std::vector<std::vector<std::uint32_t>>{{F}});
    empty.width = 0.0f;
    RecordingRegions none;
    EXPECT_EQ(CreatePictureRegion(empty, none), 0);
    EXPECT_TRUE(empty.reads.empty()) << "an empty picture has no pixel to read";
}

}  // namespace
}  // namespace tarnvel
