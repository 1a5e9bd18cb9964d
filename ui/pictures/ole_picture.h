#pragma once
// A picture embedded in the program (the About window's JPEG), decoded by
// the system's OLE picture service (ui/win32/ole_runtime.h).

#include <windows.h>
#include <olectl.h>

namespace tarnvel {

class OlePicture {
public:
    OlePicture() = default;
    explicit OlePicture(int resourceId);  // an RT_RCDATA resource; empty when it cannot be decoded
    ~OlePicture();
    OlePicture(OlePicture&& other) noexcept;
    OlePicture& operator=(OlePicture&& other) noexcept;
    OlePicture(const OlePicture&) = delete;
    OlePicture& operator=(const OlePicture&) = delete;

    bool Loaded() const noexcept { return picture_ != nullptr; }
    SIZE PixelSize() const noexcept { return pixels_; }
    // Draws the picture at its own pixel size with its top-left corner at (x, y).
    void Draw(HDC dc, int x, int y) const;

private:
    IPicture* picture_ = nullptr;
    SIZE himetric_{};
    SIZE pixels_{};
};

}  // namespace tarnvel
