#pragma once
// A label: text, an icon or a picture in a small child window of its own, so
// that it takes the mouse (a press on it never reaches the window below).
// Opaque labels fill their background; transparent ones let their parent
// paint what lies behind them first.

#include <windows.h>

#include <functional>
#include <string>

#include "ui/picture.h"
#include "ui/window_base.h"
#include "ui/window_geometry.h"

namespace tarnvel {

// Paints, into a child's DC, the part of the parent that the child covers.
class Backdrop {
public:
    virtual ~Backdrop() = default;
    virtual void PaintBehind(HWND child, HDC dc) const = 0;
};

struct LabelLook {
    HFONT font = nullptr;
    COLORREF textColour = ::GetSysColor(COLOR_BTNTEXT);
    const Backdrop* transparentOver = nullptr;  // null: opaque
    int backgroundSysColour = COLOR_BTNFACE;
    UINT format = DT_LEFT | DT_WORDBREAK;
};

class LabelControl : public BaseWindow<LabelControl> {
public:
    static constexpr wchar_t kClassName[] = L"TarnvelLabel";

    bool Create(const ChildPlace& place, const std::wstring& text, const LabelLook& look, DWORD exStyle = 0);
    void ShowIcon(HICON icon) { icon_ = icon; }
    void ShowPicture(const Picture* picture) { picture_ = picture; }
    // A thin single border drawn inside the label's own rectangle.
    void SetBorder(bool on);

    std::function<void()> onClick;
    std::function<void()> onMouseMove;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnDestroyed() {}

private:
    void Paint(HDC dc);
    void PaintText(HDC dc, RECT area);

    std::wstring text_;
    LabelLook look_;
    HICON icon_ = nullptr;
    const Picture* picture_ = nullptr;
    bool pressed_ = false;
};

// The text a font can draw: a full-width colon the font lacks is drawn as an
// ASCII colon rather than as an empty box.
std::wstring DrawableText(HDC dc, const std::wstring& text);

}  // namespace tarnvel
