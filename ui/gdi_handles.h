#pragma once
// One owner per handle: move-only smart handles for GDI objects, device
// contexts and kernel handles.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>

namespace tarnvel {

template <typename H, auto Deleter>
struct HandleDeleter {
    using pointer = H;
    void operator()(H handle) const noexcept {
        if (handle)
            Deleter(handle);
    }
};

inline void DeleteGdiObject(HGDIOBJ object) noexcept {
    ::DeleteObject(object);
}

using ScopedRegion = std::unique_ptr<std::remove_pointer_t<HRGN>, HandleDeleter<HRGN, DeleteGdiObject>>;
using ScopedBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, HandleDeleter<HBITMAP, DeleteGdiObject>>;
using ScopedFont = std::unique_ptr<std::remove_pointer_t<HFONT>, HandleDeleter<HFONT, DeleteGdiObject>>;
using ScopedBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, HandleDeleter<HBRUSH, DeleteGdiObject>>;
using ScopedMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, HandleDeleter<HDC, ::DeleteDC>>;
using ScopedIcon = std::unique_ptr<std::remove_pointer_t<HICON>, HandleDeleter<HICON, ::DestroyIcon>>;

// Selects an object into a DC for one scope and puts the old one back.
class ScopedSelection {
public:
    ScopedSelection(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
    ~ScopedSelection() { ::SelectObject(dc_, old_); }
    ScopedSelection(const ScopedSelection&) = delete;
    ScopedSelection& operator=(const ScopedSelection&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A window's client DC for one scope.
class ScopedWindowDc {
public:
    explicit ScopedWindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~ScopedWindowDc() { ::ReleaseDC(window_, dc_); }
    ScopedWindowDc(const ScopedWindowDc&) = delete;
    ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

}  // namespace tarnvel

namespace tarnvel {

// A 32-bit top-down bitmap selected into a memory DC for as long as the
// object lives, its pixels readable in place; the DC's original bitmap is put
// back before either is deleted.
class MemoryImage {
public:
    MemoryImage() = default;
    MemoryImage(int width, int height) {
        ScopedWindowDc screen(nullptr);
        dc_.reset(::CreateCompatibleDC(screen.get()));
        BITMAPINFO format{};
        format.bmiHeader.biSize = sizeof format.bmiHeader;
        format.bmiHeader.biWidth = width;
        format.bmiHeader.biHeight = -height;  // rows top to bottom
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        format.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_.reset(::CreateDIBSection(screen.get(), &format, DIB_RGB_COLORS, &bits, nullptr, 0));
        pixels_ = static_cast<const std::uint32_t*>(bits);
        original_ = ::SelectObject(dc_.get(), bitmap_.get());
    }
    ~MemoryImage() { Release(); }
    MemoryImage(const MemoryImage&) = delete;
    MemoryImage& operator=(const MemoryImage&) = delete;
    MemoryImage& operator=(MemoryImage&& other) noexcept {
        if (this != &other) {
            Release();
            dc_ = std::move(other.dc_);
            bitmap_ = std::move(other.bitmap_);
            original_ = other.original_;
            pixels_ = other.pixels_;
            other.original_ = nullptr;
            other.pixels_ = nullptr;
        }
        return *this;
    }

    HDC Dc() const noexcept { return dc_.get(); }
    // Row-major 0x00RRGGBB values, once drawing into the DC has finished.
    const std::uint32_t* Pixels() const noexcept {
        ::GdiFlush();
        return pixels_;
    }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    void Release() noexcept {
        if (dc_ && original_)
            ::SelectObject(dc_.get(), original_);
        bitmap_.reset();
        dc_.reset();
    }

    ScopedMemoryDc dc_;
    ScopedBitmap bitmap_;
    HGDIOBJ original_ = nullptr;
    const std::uint32_t* pixels_ = nullptr;
};

}  // namespace tarnvel
