// Fuzzes the GIF reader with arbitrary bytes. Refusing them is always a fair
// outcome; the sanitizers catch any read or write out of bounds, and a
// picture that is accepted must be whole: its sides within the limit, one
// index per screen pixel, each of them and the transparent index inside a
// palette of 2 to 256 colours.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "pictures/gif_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<tarnvel::GifImage> image = tarnvel::DecodeGif(data, size);
    if (!image)
        return 0;
    const std::size_t colours = image->palette.size();
    const std::string context = std::to_string(image->width) + "x" + std::to_string(image->height) + ", " +
                                std::to_string(colours) + " colours";
    FUZZ_REQUIRE(image->width > 0 && image->width <= tarnvel::kGifMaxSide, context);
    FUZZ_REQUIRE(image->height > 0 && image->height <= tarnvel::kGifMaxSide, context);
    FUZZ_REQUIRE(image->indices.size() == static_cast<std::size_t>(image->width) * image->height, context);
    FUZZ_REQUIRE(colours >= 2 && colours <= 256 && (colours & (colours - 1)) == 0, context);
    FUZZ_REQUIRE(image->transparentIndex >= -1 && image->transparentIndex < static_cast<int>(colours), context);
    for (std::size_t i = 0; i < image->indices.size(); ++i)
        FUZZ_REQUIRE(image->indices[i] < colours,
                     context + ": index " + std::to_string(image->indices[i]) + " at pixel " + std::to_string(i));
    return 0;
}
