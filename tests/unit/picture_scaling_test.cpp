#include "pictures/picture_scaling.h"

#include <gtest/gtest.h>

namespace tarnvel {
namespace {

MaskedPicture Picture(int width, int height, std::vector<std::uint32_t> colours, std::vector<std::uint8_t> opaque) {
    return {width, height, std::move(colours), std::move(opaque)};
}

TEST(AreaAveraged, SameSizeIsUnchangedAndEqualSidesRepeatPixels) {
    const MaskedPicture source = Picture(2, 1, {0x102030, 0x405060}, {1, 0});
    const MaskedPicture same = AreaAveraged(source, 2, 1);
    EXPECT_EQ(same.colours, source.colours);
    EXPECT_EQ(same.opaque, source.opaque);
    // Three times larger: every result pixel lies wholly in one source pixel.
    const MaskedPicture larger = AreaAveraged(source, 6, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(larger.opaque[y * 6 + x], x < 3 ? 1 : 0) << x << "," << y;
            if (x < 3) {
                EXPECT_EQ(larger.colours[y * 6 + x], 0x102030u);
            }
        }
}

TEST(AreaAveraged, TransparencyStaysAllOrNothingAndNeverTintsTheFigure) {
    // 4 x 2 into 2 x 1: the left cell is half opaque, the right a quarter.
    const MaskedPicture source = Picture(4, 2, {0x000000, 0xFFFFFF, 0x204060, 0xFFFFFF,  //
                                                0x0000C8, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF},
                                         {1, 0, 1, 0,  //
                                          1, 0, 0, 0});
    const MaskedPicture half = AreaAveraged(source, 2, 1);
    ASSERT_EQ(half.opaque, (std::vector<std::uint8_t>{1, 0}));
    // The average of the two opaque pixels only: the white of the
    // transparent ones does not come into it.
    EXPECT_EQ(half.colours[0], 0x000064u);
}

TEST(AreaAveraged, ResultPixelsStraddlingSourcePixelsWeighThemByOverlap) {
    // 3 -> 2: the first result pixel covers source 0 wholly and half of 1.
    const MaskedPicture source = Picture(3, 1, {0x000000, 0x5A0000, 0xB40000}, {1, 1, 1});
    const MaskedPicture scaled = AreaAveraged(source, 2, 1);
    EXPECT_EQ(scaled.colours, (std::vector<std::uint32_t>{0x1E0000, 0x960000}));  // 30 and 150
    EXPECT_EQ(scaled.opaque, (std::vector<std::uint8_t>{1, 1}));
}

}  // namespace
}  // namespace tarnvel
