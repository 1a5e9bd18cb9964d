#include "ui/pictures/gif_picture.h"

#include <algorithm>
#include <optional>

#include "ui/win32/fallible_calls.h"
#include "ui/win32/windows_failure.h"

namespace tarnvel {
namespace {

MaskedPicture DecodedResource(int resourceId, const std::string& what) {
    const ResourceBytes bytes = Win32Calls().readResource(resourceId);
    std::optional<GifImage> decoded;
    if (bytes.data)
        decoded = DecodeGif(bytes.data, bytes.size);
    if (!decoded)
        throw WindowsFailure(what + " could not be " + (bytes.data ? "decoded." : "loaded."));
    return MaskedPictureOf(*decoded);
}

}  // namespace

GifPicture::GifPicture(int resourceId, const std::string& what) : picture_(DecodedResource(resourceId, what)) {}

GifPicture::GifPicture(int resourceId, int width, int height, const std::string& what)
    : picture_(AreaAveraged(DecodedResource(resourceId, what), width, height)) {}

void GifPicture::DrawInto(MemoryImage& target, int x, int y) const {
    std::uint32_t* pixels = target.Pixels();
    for (int row = 0; row < picture_.height; ++row) {
        const int targetY = y + row;
        if (targetY < 0 || targetY >= target.Height())
            continue;
        const std::size_t first = static_cast<std::size_t>(row) * picture_.width;
        std::uint32_t* line = pixels + static_cast<std::size_t>(targetY) * target.Width();
        for (int column = 0; column < picture_.width; ++column) {
            const int targetX = x + column;
            if (targetX < 0 || targetX >= target.Width() || !picture_.opaque[first + column])
                continue;
            line[targetX] = picture_.colours[first + column];
        }
    }
}

GifPicture PictureAtScale(int resourceId, int largeResourceId, int baseWidth, int baseHeight,
                          const DisplayScale& scale, const std::string& what) {
    if (scale.IsBase())
        return GifPicture(resourceId, what);
    const int width = std::max(1, scale.Pixels(baseWidth));
    const int height = std::max(1, scale.Pixels(baseHeight));
    return GifPicture(scale.Dpi() < DisplayScale::kBaseDpi ? resourceId : largeResourceId, width, height, what);
}

}  // namespace tarnvel
