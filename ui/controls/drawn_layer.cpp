#include "ui/controls/drawn_layer.h"

#include <windowsx.h>

#include <utility>

namespace tarnvel {

void DrawnLayer::Add(const DrawnLabel& label, const GifPicture* picture, std::function<void()> onClick) {
    pressed_ = nullptr;  // the items may move
    items_.push_back({label, picture, std::move(onClick)});
}

void DrawnLayer::Clear() {
    pressed_ = nullptr;
    items_.clear();
}

const DrawnLayer::Item* DrawnLayer::ItemAt(POINT point) const {
    for (auto item = items_.rbegin(); item != items_.rend(); ++item)
        if (item->label.Contains(point))
            return &*item;
    return nullptr;
}

const DrawnLabel* DrawnLayer::At(POINT point) const {
    const Item* item = ItemAt(point);
    return item ? &item->label : nullptr;
}

DrawnLabel* DrawnLayer::Find(int id) {
    for (Item& item : items_)
        if (item.label.id == id)
            return &item.label;
    return nullptr;
}

void DrawnLayer::Paint(HDC dc, MemoryImage* pixels) const {
    for (const Item& item : items_) {
        if (item.picture && pixels)
            item.picture->DrawInto(*pixels, item.label.place.left, item.label.place.top);
        item.label.Paint(dc);
    }
}

bool DrawnLayer::Press(HWND window, POINT point, bool leftButton) {
    const Item* item = ItemAt(point);
    if (!item)
        return false;
    if (leftButton && item->onClick) {
        pressed_ = item;
        ::SetCapture(window);
    }
    return true;
}

bool DrawnLayer::TakeRelease(UINT message, LPARAM position) {
    if (message == WM_CAPTURECHANGED) {
        pressed_ = nullptr;
        return true;
    }
    if (message != WM_LBUTTONUP)
        return false;
    const Item* pressed = std::exchange(pressed_, nullptr);
    if (pressed) {
        ::ReleaseCapture();
        if (ItemAt(PointOf(position)) == pressed)
            pressed->onClick();
    }
    return true;
}

POINT DrawnLayer::PointOf(LPARAM position) {
    return {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
}

}  // namespace tarnvel
