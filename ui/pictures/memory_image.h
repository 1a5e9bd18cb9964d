#pragma once
// A 32-bit top-down bitmap selected into a memory DC for as long as the
// object lives, its pixels readable and writable in place; the DC's original
// bitmap is put back before either is deleted.

#include <windows.h>

#include <cstdint>

#include "ui/win32/gdi_handles.h"

namespace tarnvel {

class MemoryImage {
public:
    MemoryImage() = default;
    // Throws WindowsFailure naming `what` when the bitmap cannot be made.
    MemoryImage(int width, int height, const char* what);
    ~MemoryImage() { Release(); }
    MemoryImage(const MemoryImage&) = delete;
    MemoryImage& operator=(const MemoryImage&) = delete;
    MemoryImage& operator=(MemoryImage&& other) noexcept;

    HDC Dc() const noexcept { return dc_.get(); }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    // Row-major 0x00RRGGBB values, once drawing into the DC has finished.
    std::uint32_t* Pixels() const noexcept {
        ::GdiFlush();
        return pixels_;
    }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    void Release() noexcept;

    ScopedMemoryDc dc_;
    ScopedBitmap bitmap_;
    HGDIOBJ original_ = nullptr;
    std::uint32_t* pixels_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace tarnvel
