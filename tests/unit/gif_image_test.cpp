#include "pictures/gif_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace tarnvel {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A file of the source tree; one that cannot be read stops the tests at once.
Bytes SourceFile(const std::string& path) {
    std::ifstream file(std::string(TARNVEL_SOURCE_DIR) + "/" + path, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The small pictures are the fuzzer's seeds, so that both start from the same files.
const std::string kSeeds = "tests/fuzz/seeds/fuzz_gif_image/";

// Saved by PIL (optimize=False) from a 5x3 picture with the indices kPlain and
// the palette red, green, blue, white; then again with transparency=2.
const std::vector<std::uint8_t> kPlain = {0, 1, 2, 3, 0, 3, 3, 2, 1, 1, 2, 0, 0, 0, 3};
const std::vector<std::uint32_t> kPlainPalette = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
const Bytes kPlain87a = SourceFile(kSeeds + "plain_87a");
const Bytes kTransparent89a = SourceFile(kSeeds + "transparent_89a");
// PIL's interlaced 16x19 picture with the index (x + y) % 16 at (x, y).
const Bytes kInterlaced = SourceFile(kSeeds + "interlaced");
// Written by hand (LZW code size 2) and read back by PIL: kPlain at (1, 1)
// with kPlainPalette as its own table, on a 7x5 screen with a black and white
// global table and background index 1.
const Bytes kLocalTable = SourceFile(kSeeds + "local_table_at_offset");

std::optional<GifImage> Decode(const Bytes& bytes) {
    return DecodeGif(bytes.data(), bytes.size());
}

Bytes Patched(Bytes bytes, std::size_t at, std::initializer_list<std::uint8_t> values) {
    std::copy(values.begin(), values.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    return bytes;
}

// A width x 1 GIF whose picture data is the given codes, 3 bits each (LZW code
// size 2: 4 clears, 5 ends, new strings start at 6), with a global table of
// `colours` black entries (0: none).
Bytes WithCodes(int colours, std::uint8_t width, const std::vector<int>& codes) {
    const std::uint8_t tableFlags = colours == 0 ? 0 : colours == 2 ? 0x80 : 0x81;
    Bytes gif = {'G', 'I', 'F', '8', '9', 'a', width, 0, 1, 0, tableFlags, 0, 0};
    gif.resize(gif.size() + 3 * static_cast<std::size_t>(colours));
    Bytes data;
    unsigned bits = 0;
    int count = 0;
    for (int code : codes) {
        bits |= static_cast<unsigned>(code) << count;
        for (count += 3; count >= 8; count -= 8, bits >>= 8)
            data.push_back(static_cast<std::uint8_t>(bits));
    }
    if (count > 0)
        data.push_back(static_cast<std::uint8_t>(bits));
    gif.insert(gif.end(), {0x2C, 0, 0, 0, 0, width, 0, 1, 0, 0, 2, static_cast<std::uint8_t>(data.size())});
    gif.insert(gif.end(), data.begin(), data.end());
    gif.insert(gif.end(), {0, 0x3B});
    return gif;
}

std::uint32_t Fnv1a(const std::vector<std::uint8_t>& bytes) {
    std::uint32_t hash = 0x811C9DC5;
    for (std::uint8_t byte : bytes)
        hash = (hash ^ byte) * 0x01000193;
    return hash;
}

TEST(DecodeGif, ReadsPlainAndTransparentPictures) {
    const std::optional<GifImage> plain = Decode(kPlain87a);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->width, 5);
    EXPECT_EQ(plain->height, 3);
    EXPECT_EQ(plain->palette, kPlainPalette);
    EXPECT_EQ(plain->transparentIndex, -1);
    EXPECT_EQ(plain->indices, kPlain);

    const std::optional<GifImage> transparent = Decode(kTransparent89a);
    ASSERT_TRUE(transparent);
    EXPECT_EQ(transparent->transparentIndex, 2);
    EXPECT_EQ(transparent->indices, kPlain);
}

TEST(DecodeGif, TakesTransparencyFromTheControlBlockOfThePicture) {
    // An application extension between them is skipped; a plain text
    // extension takes the control block for itself.
    Bytes application = kTransparent89a;
    application.insert(application.begin() + 33, {0x21, 0xFF, 3, 'A', 'B', 'C', 2, 1, 0, 0});
    Bytes text = kTransparent89a;
    text.insert(text.begin() + 33, {0x21, 0x01, 12, 0, 0, 0, 0, 8, 0, 8, 0, 8, 8, 1, 0, 1, 'x', 0});
    ASSERT_TRUE(Decode(application) && Decode(text));
    EXPECT_EQ(Decode(application)->transparentIndex, 2);
    EXPECT_EQ(Decode(text)->transparentIndex, -1);
    EXPECT_EQ(Decode(text)->indices, kPlain);
}

TEST(DecodeGif, PutsInterlacedRowsInPlace) {
    const std::optional<GifImage> image = Decode(kInterlaced);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->indices.size(), 16u * 19u);
    for (int y = 0; y < 19; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(image->indices[y * 16 + x], (x + y) % 16) << "at " << x << ", " << y;
}

TEST(DecodeGif, PlacesPictureWithItsOwnTableOnTheScreen) {
    const std::optional<GifImage> image = Decode(kLocalTable);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->palette, kPlainPalette);
    std::vector<std::uint8_t> expected(7 * 5, 1);  // the background
    for (std::size_t i = 0; i < kPlain.size(); ++i)
        expected[(1 + i / 5) * 7 + 1 + i % 5] = kPlain[i];
    EXPECT_EQ(image->indices, expected);

    // With a transparent index (2 here), the uncovered pixels take it; a 4x3
    // screen cuts off the picture's last row and the last two columns.
    Bytes transparent = kLocalTable;
    transparent.insert(transparent.begin() + 19, {0x21, 0xF9, 0x04, 0x01, 0, 0, 2, 0});
    const std::optional<GifImage> clipped = Decode(Patched(transparent, 6, {4, 0, 3, 0}));
    ASSERT_TRUE(clipped);
    EXPECT_EQ(clipped->indices, (std::vector<std::uint8_t>{2, 2, 2, 2, 2, 0, 1, 2, 2, 3, 3, 2}));
}

// 64x72 grey-palette noise, written by an LZW encoder that keeps sending
// 12-bit codes once its table holds 4096 strings (the last of them among
// them) and only clears 250 codes later; PIL reads it back to the same
// pixels. The checksums here and below are PIL's: FNV-1a (32 bits) of
// Image.open(path).tobytes().
TEST(DecodeGif, ReadsTwelveBitCodesAndAFullTableKeptUntilAClear) {
    const std::optional<GifImage> image = Decode(SourceFile("tests/unit/data/deferred_clear.gif"));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 64);
    EXPECT_EQ(image->height, 72);
    EXPECT_EQ(Fnv1a(image->indices), 0x73B54943u);
}

TEST(DecodeGif, ReadsTheProgramPictures) {
    struct Picture {
        const char* path;
        int width, height;
        std::uint32_t checksum;
    };
    for (const Picture& picture :
         {Picture{"res/skin.gif", 184, 312, 0x05F410C0u}, Picture{"res/close.gif", 21, 21, 0xD5FFDA58u}}) {
        SCOPED_TRACE(picture.path);
        const std::optional<GifImage> image = Decode(SourceFile(picture.path));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, picture.width);
        EXPECT_EQ(image->height, picture.height);
        EXPECT_EQ(image->transparentIndex, 255);
        EXPECT_EQ(image->indices[0], 255);
        EXPECT_EQ(Fnv1a(image->indices), picture.checksum);
    }
}

TEST(DecodeGif, FollowsTheCodesOfTheStringTable) {
    // 6 names the string it completes (1 then 1 again); a clear starts over.
    const std::optional<GifImage> image = Decode(WithCodes(4, 4, {4, 1, 6, 4, 2, 5}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->indices, (std::vector<std::uint8_t>{1, 1, 1, 2}));
}

TEST(DecodeGif, RefusesBrokenCodeStreams) {
    EXPECT_FALSE(Decode(WithCodes(4, 3, {4, 1, 5}))) << "end code before the last pixel";
    EXPECT_FALSE(Decode(WithCodes(4, 3, {4, 1}))) << "data ends before the last pixel";
    EXPECT_FALSE(Decode(WithCodes(4, 2, {4, 1, 7, 1, 5}))) << "code past the next string";
    EXPECT_FALSE(Decode(WithCodes(4, 3, {4, 6, 5}))) << "string code with an empty table";
    EXPECT_FALSE(Decode(WithCodes(2, 1, {4, 3, 5}))) << "index outside the palette";
    EXPECT_FALSE(Decode(WithCodes(0, 1, {4, 1, 5}))) << "no colour table";
    EXPECT_TRUE(Decode(WithCodes(2, 1, {4, 1, 5})));
}

TEST(DecodeGif, RefusesBrokenHeadersAndBlocks) {
    EXPECT_FALSE(Decode(Patched(kPlain87a, 4, {'8'}))) << "signature";
    EXPECT_FALSE(Decode(Patched(kPlain87a, 6, {0, 0}))) << "screen width 0";
    EXPECT_FALSE(Decode(Patched(kPlain87a, 8, {0x01, 0x10}))) << "screen height 4097";
    EXPECT_FALSE(Decode(Patched(kPlain87a, 30, {0x01, 0x10}))) << "picture width 4097";
    EXPECT_FALSE(Decode(Patched(kPlain87a, 32, {0, 0}))) << "picture height 0";
    EXPECT_FALSE(Decode(Patched(kPlain87a, 35, {1}))) << "LZW code size 1";
    EXPECT_FALSE(Decode(Patched(kPlain87a, 35, {9}))) << "LZW code size 9";
    EXPECT_FALSE(Decode(Patched(kPlain87a, 25, {0x3B}))) << "trailer before any picture";
    EXPECT_FALSE(Decode(Patched(kPlain87a, 25, {0x2B}))) << "unknown block";
    EXPECT_FALSE(Decode(Patched(kTransparent89a, 27, {3}))) << "short graphic control block";
    EXPECT_FALSE(DecodeGif(nullptr, 0));
    EXPECT_TRUE(Decode(Patched(kPlain87a, 6, {0x00, 0x10}))) << "screen width 4096";
}

TEST(DecodeGif, RefusesEveryCutBeforeTheLastPixelButNeedsNoTrailer) {
    for (const Bytes* gif : {&kPlain87a, &kTransparent89a, &kInterlaced, &kLocalTable}) {
        // After the pixel data come the end code (which may fill the last data
        // byte alone), the empty sub-block and the trailer.
        for (std::size_t length = 0; length + 4 <= gif->size(); ++length)
            ASSERT_FALSE(DecodeGif(gif->data(), length)) << length << " of " << gif->size() << " bytes";
        EXPECT_TRUE(DecodeGif(gif->data(), gif->size() - 2));
    }
}

}  // namespace
}  // namespace tarnvel
