#include "pictures/picture_scaling.h"

#include <algorithm>
#include <cstddef>

namespace tarnvel {
namespace {

// How much of each source cell lies in one result cell along one axis, in
// units of 1/resultLength of a source cell: result cell r covers
// [r * sourceLength, (r + 1) * sourceLength), source cell s covers
// [s * resultLength, (s + 1) * resultLength). The weights of one result cell
// add up to sourceLength.
struct AxisWeights {
    std::vector<int> first;                 // the first source cell of each result cell
    std::vector<std::vector<int>> weights;  // from that cell on
};

AxisWeights WeightsAlong(int sourceLength, int resultLength) {
    AxisWeights axis;
    for (int r = 0; r < resultLength; ++r) {
        const long long begin = static_cast<long long>(r) * sourceLength;
        const long long end = begin + sourceLength;
        const int first = static_cast<int>(begin / resultLength);
        std::vector<int> weights;
        for (int s = first; s < sourceLength && static_cast<long long>(s) * resultLength < end; ++s) {
            const long long cellBegin = static_cast<long long>(s) * resultLength;
            const long long overlap = std::min(end, cellBegin + resultLength) - std::max(begin, cellBegin);
            weights.push_back(static_cast<int>(overlap));
        }
        axis.first.push_back(first);
        axis.weights.push_back(std::move(weights));
    }
    return axis;
}

}  // namespace

MaskedPicture MaskedPictureOf(const GifImage& gif) {
    MaskedPicture picture;
    picture.width = gif.width;
    picture.height = gif.height;
    picture.colours.reserve(gif.indices.size());
    picture.opaque.reserve(gif.indices.size());
    for (const std::uint8_t index : gif.indices) {
        picture.colours.push_back(gif.palette[index]);
        picture.opaque.push_back(index == gif.transparentIndex ? 0 : 1);
    }
    return picture;
}

MaskedPicture AreaAveraged(const MaskedPicture& source, int width, int height) {
    if (width == source.width && height == source.height)
        return source;
    const AxisWeights across = WeightsAlong(source.width, width);
    const AxisWeights down = WeightsAlong(source.height, height);
    const std::uint64_t cellArea = static_cast<std::uint64_t>(source.width) * source.height;
    MaskedPicture result;
    result.width = width;
    result.height = height;
    result.colours.assign(static_cast<std::size_t>(width) * height, 0);
    result.opaque.assign(static_cast<std::size_t>(width) * height, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint64_t covered = 0, red = 0, green = 0, blue = 0;
            for (std::size_t j = 0; j < down.weights[y].size(); ++j) {
                const std::size_t row = static_cast<std::size_t>(down.first[y] + j) * source.width;
                for (std::size_t i = 0; i < across.weights[x].size(); ++i) {
                    const std::size_t at = row + across.first[x] + i;
                    if (!source.opaque[at])
                        continue;
                    const std::uint64_t weight =
                        static_cast<std::uint64_t>(down.weights[y][j]) * across.weights[x][i];
                    const std::uint32_t colour = source.colours[at];
                    covered += weight;
                    red += weight * ((colour >> 16) & 0xFF);
                    green += weight * ((colour >> 8) & 0xFF);
                    blue += weight * (colour & 0xFF);
                }
            }
            if (covered * 2 < cellArea)
                continue;
            const auto average = [covered](std::uint64_t sum) {
                return static_cast<std::uint32_t>((sum + covered / 2) / covered);
            };
            const std::size_t at = static_cast<std::size_t>(y) * width + x;
            result.opaque[at] = 1;
            result.colours[at] = average(red) << 16 | average(green) << 8 | average(blue);
        }
    }
    return result;
}

}  // namespace tarnvel
