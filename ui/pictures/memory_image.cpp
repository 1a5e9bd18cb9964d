#include "ui/pictures/memory_image.h"

#include <utility>

#include "ui/win32/windows_failure.h"

namespace tarnvel {

MemoryImage::MemoryImage(int width, int height, const char* what) : width_(width), height_(height) {
    ScopedWindowDc screen(nullptr);
    dc_.reset(::CreateCompatibleDC(screen.get()));
    if (!dc_)
        ThrowWindowsFailure(what, "CreateCompatibleDC");
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;  // rows top to bottom
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(::CreateDIBSection(screen.get(), &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_ || !bits)
        ThrowWindowsFailure(what, "CreateDIBSection");
    pixels_ = static_cast<std::uint32_t*>(bits);
    original_ = ::SelectObject(dc_.get(), bitmap_.get());
}

MemoryImage& MemoryImage::operator=(MemoryImage&& other) noexcept {
    if (this != &other) {
        Release();
        dc_ = std::move(other.dc_);
        bitmap_ = std::move(other.bitmap_);
        original_ = std::exchange(other.original_, nullptr);
        pixels_ = std::exchange(other.pixels_, nullptr);
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
    }
    return *this;
}

void MemoryImage::Release() noexcept {
    if (dc_ && original_)
        ::SelectObject(dc_.get(), original_);
    bitmap_.reset();
    dc_.reset();
}

}  // namespace tarnvel
