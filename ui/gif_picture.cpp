#include "ui/gif_picture.h"

#include "ui/fallible_calls.h"
#include "ui/windows_failure.h"

namespace tarnvel {

GifPicture::GifPicture(int resourceId, const std::string& what) {
    const ResourceBytes bytes = Win32Calls().readResource(resourceId);
    std::optional<GifImage> decoded;
    if (bytes.data)
        decoded = DecodeGif(bytes.data, bytes.size);
    if (!decoded)
        throw WindowsFailure(what + " could not be " + (bytes.data ? "decoded." : "loaded."));
    image_ = std::move(*decoded);
}

void GifPicture::DrawInto(MemoryImage& target, int x, int y) const {
    std::uint32_t* pixels = target.Pixels();
    for (int row = 0; row < image_.height; ++row) {
        const int targetY = y + row;
        if (targetY < 0 || targetY >= target.Height())
            continue;
        const std::uint8_t* indices = &image_.indices[static_cast<std::size_t>(row) * image_.width];
        std::uint32_t* line = pixels + static_cast<std::size_t>(targetY) * target.Width();
        for (int column = 0; column < image_.width; ++column) {
            const int targetX = x + column;
            const int index = indices[column];
            if (targetX < 0 || targetX >= target.Width() || index == image_.transparentIndex)
                continue;
            line[targetX] = image_.palette[index];
        }
    }
}

}  // namespace tarnvel
