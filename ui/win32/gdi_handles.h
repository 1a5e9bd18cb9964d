#pragma once
// One owner per handle: move-only smart handles for GDI objects and device
// contexts.

#include <windows.h>

#include <memory>
#include <type_traits>

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
using ScopedMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, HandleDeleter<HDC, ::DeleteDC>>;
using ScopedIcon = std::unique_ptr<std::remove_pointer_t<HICON>, HandleDeleter<HICON, ::DestroyIcon>>;

// The program's icon resource at size x size pixels, from the entry of that
// size (Windows scales the nearest one where there is none); null when it
// cannot be loaded.
inline ScopedIcon LoadIconOfSize(int resourceId, int size) {
    return ScopedIcon(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId),
                                                      IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

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
