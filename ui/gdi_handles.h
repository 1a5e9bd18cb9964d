#pragma once
// One owner per handle: move-only smart handles for GDI objects, device
// contexts and kernel handles.

#include <windows.h>

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

// A bitmap selected into a memory DC compatible with the screen, for as long
// as the object lives; the DC's original bitmap is put back before either
// is deleted.
class MemoryImage {
public:
    MemoryImage() = default;
    MemoryImage(int width, int height) {
        ScopedWindowDc screen(nullptr);
        dc_.reset(::CreateCompatibleDC(screen.get()));
        bitmap_.reset(::CreateCompatibleBitmap(screen.get(), width, height));
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
            other.original_ = nullptr;
        }
        return *this;
    }

    HDC Dc() const noexcept { return dc_.get(); }
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
};

}  // namespace tarnvel
