#include "ui/picture.h"

#include <utility>

#include "ui/gdi_handles.h"

namespace tarnvel {
namespace {

// A global memory copy of a resource, handed to a stream that frees it.
IStream* StreamOfResource(int resourceId) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!found)
        return nullptr;
    const DWORD size = ::SizeofResource(module, found);
    const void* bytes = ::LockResource(::LoadResource(module, found));
    HGLOBAL copy = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (!bytes || !copy)
        return nullptr;
    ::CopyMemory(::GlobalLock(copy), bytes, size);
    ::GlobalUnlock(copy);
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(copy, TRUE, &stream))) {
        ::GlobalFree(copy);
        return nullptr;
    }
    return stream;
}

constexpr int kHimetricPerInch = 2540;

}  // namespace

Picture::Picture(int resourceId) {
    IStream* stream = StreamOfResource(resourceId);
    if (!stream)
        return;
    void* loaded = nullptr;
    if (SUCCEEDED(::OleLoadPicture(stream, 0, FALSE, IID_IPicture, &loaded)))
        picture_ = static_cast<IPicture*>(loaded);
    stream->Release();
    if (!picture_)
        return;
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture_->get_Width(&width);
    picture_->get_Height(&height);
    himetric_ = {width, height};
    // The decoder measures the picture with the display's DPI setting; going
    // back with the same setting gives the picture's own pixel size, at
    // which it is always drawn.
    ScopedWindowDc screen(nullptr);
    const int dpiX = ::GetDeviceCaps(screen.get(), LOGPIXELSX);
    const int dpiY = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
    pixels_ = {::MulDiv(width, dpiX, kHimetricPerInch), ::MulDiv(height, dpiY, kHimetricPerInch)};
}

Picture::~Picture() {
    if (picture_)
        picture_->Release();
}

Picture::Picture(Picture&& other) noexcept
    : picture_(std::exchange(other.picture_, nullptr)), himetric_(other.himetric_), pixels_(other.pixels_) {}

Picture& Picture::operator=(Picture&& other) noexcept {
    if (this != &other) {
        if (picture_)
            picture_->Release();
        picture_ = std::exchange(other.picture_, nullptr);
        himetric_ = other.himetric_;
        pixels_ = other.pixels_;
    }
    return *this;
}

void Picture::Draw(HDC dc, int x, int y) const {
    if (!picture_)
        return;
    // HIMETRIC runs bottom-up: start at the picture's height, go up by it.
    picture_->Render(dc, x, y, pixels_.cx, pixels_.cy, 0, himetric_.cy, himetric_.cx, -himetric_.cy, nullptr);
}

}  // namespace tarnvel
