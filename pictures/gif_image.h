#pragma once
// Reads the first picture of a GIF file (GIF87a or GIF89a) into palette
// indices, without any window-system call, so that the program's pictures
// load the same way everywhere and the reading is tested natively.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tarnvel {

struct GifImage {
    // The logical screen of the file; the first picture is placed on it at
    // its offset and clipped to it.
    int width = 0;
    int height = 0;
    // The colour table in force for the first picture (its local table if it
    // has one, else the global table), one 0x00RRGGBB entry per colour.
    std::vector<std::uint32_t> palette;
    // The palette index drawn as transparent, or -1 for none.
    int transparentIndex = -1;
    // One palette index per screen pixel, row by row from the top, each row
    // from the left; every index is below palette.size(). Pixels that the
    // picture does not cover hold the transparent index when there is one,
    // else the screen's background index (0 when that is not in the palette).
    std::vector<std::uint8_t> indices;
};

// Sides above this are refused: no picture of the program comes near it, and
// it bounds the memory a damaged file can make the reader take.
constexpr int kGifMaxSide = 4096;

// nullopt for anything that is not a complete, well-formed GIF picture within
// kGifMaxSide: never reads outside data[0, size), never throws. Reading stops
// at the first picture's last pixel, so what follows it (the end code, the
// rest of the file) may be missing.
std::optional<GifImage> DecodeGif(const std::uint8_t* data, std::size_t size);

}  // namespace tarnvel
