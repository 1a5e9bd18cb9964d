#pragma once
// Pictures with a transparent colour, and their resizing by area averaging,
// without any window-system call: every pixel of the result takes the
// average of the source area it covers, weighted by how much of each source
// pixel lies in it. Transparency stays all or nothing, so the outline of a
// resized picture is as sharp as the picture: a result pixel is opaque when
// at least half of its area is, and its colour is then the average of the
// opaque part only, so the transparent colour never bleeds into the figure.

#include <cstdint>
#include <vector>

#include "pictures/gif_image.h"

namespace tarnvel {

struct MaskedPicture {
    int width = 0;
    int height = 0;
    // Row by row from the top, each row from the left: 0x00RRGGBB colours,
    // and 1 where the pixel is drawn, 0 where it is transparent.
    std::vector<std::uint32_t> colours;
    std::vector<std::uint8_t> opaque;
};

// The GIF's pixels, its transparent index (if any) left undrawn.
MaskedPicture MaskedPictureOf(const GifImage& gif);

// The picture resized to width x height (both at least 1) by area averaging.
// A picture of the same size comes back unchanged.
MaskedPicture AreaAveraged(const MaskedPicture& source, int width, int height);

}  // namespace tarnvel
