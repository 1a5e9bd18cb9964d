#include "ui/pictures/ole_picture.h"

#include <utility>

#include "ui/win32/fallible_calls.h"
#include "ui/win32/gdi_handles.h"
#include "ui/win32/ole_runtime.h"

namespace tarnvel {
namespace {

constexpr int kHimetricPerInch = 2540;

// A global memory copy of a resource, handed to a stream that frees it.
IStream* StreamOfResource(const OleFunctions& ole, int resourceId) {
    const ResourceBytes bytes = Win32Calls().readResource(resourceId);
    if (!bytes.data)
        return nullptr;
    HGLOBAL copy = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size);
    if (!copy)
        return nullptr;
    ::CopyMemory(::GlobalLock(copy), bytes.data, bytes.size);
    ::GlobalUnlock(copy);
    IStream* stream = nullptr;
    if (FAILED(ole.createStreamOnHGlobal(copy, TRUE, &stream))) {
        ::GlobalFree(copy);
        return nullptr;
    }
    return stream;
}

}  // namespace

OlePicture::OlePicture(int resourceId) {
    const OleFunctions* ole = StartOle();
    if (!ole)
        return;
    IStream* stream = StreamOfResource(*ole, resourceId);
    if (!stream)
        return;
    void* loaded = nullptr;
    if (SUCCEEDED(ole->oleLoadPicture(stream, 0, FALSE, IID_IPicture, &loaded)))
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

OlePicture::~OlePicture() {
    if (picture_)
        picture_->Release();
}

OlePicture::OlePicture(OlePicture&& other) noexcept
    : picture_(std::exchange(other.picture_, nullptr)), himetric_(other.himetric_), pixels_(other.pixels_) {}

OlePicture& OlePicture::operator=(OlePicture&& other) noexcept {
    if (this != &other) {
        if (picture_)
            picture_->Release();
        picture_ = std::exchange(other.picture_, nullptr);
        himetric_ = other.himetric_;
        pixels_ = other.pixels_;
    }
    return *this;
}

void OlePicture::Draw(HDC dc, int x, int y) const {
    if (!picture_)
        return;
    // HIMETRIC runs bottom-up: start at the picture's height, go up by it.
    picture_->Render(dc, x, y, pixels_.cx, pixels_.cy, 0, himetric_.cy, himetric_.cx, -himetric_.cy, nullptr);
}

}  // namespace tarnvel
