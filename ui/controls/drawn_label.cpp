#include "ui/controls/drawn_label.h"

#include "ui/win32/ansi_text.h"
#include "ui/win32/fonts.h"
#include "ui/win32/gdi_handles.h"

namespace tarnvel {

void DrawnLabel::Paint(HDC dc) const {
    RECT area = place;
    if (border) {
        ::FrameRect(dc, &area, ::GetSysColorBrush(COLOR_WINDOWFRAME));
        ::InflateRect(&area, -1, -1);
    }
    if (opaque)
        ::FillRect(dc, &area, ::GetSysColorBrush(COLOR_BTNFACE));
    if (text.empty())
        return;
    ScopedSelection selected(dc, font ? font : DefaultGuiFont(DisplayScale()));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, textColour);
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area, format | DT_NOPREFIX);
}

void DrawnLabel::PaintAtOwnOrigin(HDC dc) const {
    DrawnLabel moved = *this;
    ::OffsetRect(&moved.place, -place.left, -place.top);
    moved.Paint(dc);
}

std::string LabelText(HDC dc, HFONT font, const std::wstring& text) {
    std::wstring drawable = text;
    ScopedSelection selected(dc, font ? font : DefaultGuiFont(DisplayScale()));
    TEXTMETRICA metrics{};
    if (!::GetTextMetricsA(dc, &metrics) || metrics.tmCharSet != CHINESEBIG5_CHARSET)
        for (wchar_t& c : drawable)
            if (c == kFullWidthColon)
                c = L':';
    return ToAnsiWithStandIns(drawable);
}

}  // namespace tarnvel
