#pragma once
// Pictures embedded as resources (GIF, JPEG), decoded by Windows' own
// picture support and drawn unscaled. Transparent GIF pixels are left
// undrawn, so whatever lies below shows through.

#include <windows.h>
#include <olectl.h>

namespace tarnvel {

class Picture {
public:
    Picture() = default;
    explicit Picture(int resourceId);  // an RT_RCDATA resource
    ~Picture();
    Picture(Picture&& other) noexcept;
    Picture& operator=(Picture&& other) noexcept;
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    bool Loaded() const noexcept { return picture_ != nullptr; }
    SIZE SizeInPixels() const noexcept { return pixels_; }
    // Draws the picture at its own size with its top-left corner at (x, y).
    void Draw(HDC dc, int x, int y) const;

private:
    IPicture* picture_ = nullptr;
    SIZE himetric_{};
    SIZE pixels_{};
};

}  // namespace tarnvel
