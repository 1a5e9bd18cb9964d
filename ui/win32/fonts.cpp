#include "ui/win32/fonts.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <string>

#include "ui/win32/ansi_text.h"

namespace tarnvel {
namespace {

constexpr wchar_t kMingFace[] = L"\u65B0\u7D30\u660E\u9AD4";  // the Chinese name of PMingLiU
constexpr char kMingFaceEnglish[] = "PMingLiU";

// Copies a face name into a LOGFONT's field, cut to fit with its terminator.
void CopyFaceName(char (&field)[LF_FACESIZE], const char* face) {
    const std::size_t length = std::min<std::size_t>(std::strlen(face), LF_FACESIZE - 1);
    std::memcpy(field, face, length);
    field[length] = '\0';
}

int CALLBACK NoteFound(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;  // one match is enough
}

bool IsFontFamilyInstalled(const std::string& face, BYTE charset) {
    LOGFONTA wanted{};
    wanted.lfCharSet = charset;
    CopyFaceName(wanted.lfFaceName, face.c_str());
    bool found = false;
    ScopedWindowDc screen(nullptr);
    ::EnumFontFamiliesExA(screen.get(), &wanted, &NoteFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

struct FaceChoice {
    std::string face;
    BYTE charset;
};

// Looked up once: the installed fonts do not change under a running window.
const FaceChoice& MingOrLatinFace() {
    static const FaceChoice choice = []() -> FaceChoice {
        if (const std::optional<std::string> chinese = ToAnsi(kMingFace))
            if (IsFontFamilyInstalled(*chinese, CHINESEBIG5_CHARSET))
                return {*chinese, CHINESEBIG5_CHARSET};
        if (IsFontFamilyInstalled(kMingFaceEnglish, CHINESEBIG5_CHARSET))
            return {kMingFaceEnglish, CHINESEBIG5_CHARSET};
        return {IsFontFamilyInstalled("Arial", ANSI_CHARSET) ? "Arial" : "Tahoma", DEFAULT_CHARSET};
    }();
    return choice;
}

ScopedFont FontOfPixels(const FontRequest& request, int pixels) {
    LOGFONTA font{};
    font.lfHeight = -static_cast<LONG>(pixels);
    font.lfWeight = request.bold ? FW_BOLD : FW_NORMAL;
    font.lfUnderline = request.underline ? TRUE : FALSE;
    font.lfCharSet = request.charset;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    CopyFaceName(font.lfFaceName, request.face);
    return ScopedFont(::CreateFontIndirectA(&font));
}

// The height of the text drawn in the box's width with the font.
int TextHeight(HDC dc, HFONT font, const std::string& text, const RECT& box, UINT format) {
    ScopedSelection selected(dc, font);
    RECT measured = box;
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &measured, format | DT_CALCRECT | DT_NOPREFIX);
    return measured.bottom - measured.top;
}

}  // namespace

ScopedFont CreateControlFont(const FontRequest& request, const DisplayScale& scale) {
    return FontOfPixels(request, scale.FontPixels(request.points));
}

ScopedFont CreateFontFitting(const FontRequest& request, const DisplayScale& scale, const std::string& text,
                             const RECT& box, UINT format) {
    const int smallest = DisplayScale().FontPixels(request.points);
    int pixels = scale.FontPixels(request.points);
    ScopedFont font = FontOfPixels(request, pixels);
    ScopedWindowDc screen(nullptr);
    while (pixels > smallest && font && TextHeight(screen.get(), font.get(), text, box, format) > box.bottom - box.top)
        font = FontOfPixels(request, --pixels);
    return font;
}

ScopedFont CreateMingFont(double points, const DisplayScale& scale) {
    const FaceChoice& choice = MingOrLatinFace();
    return CreateControlFont({choice.face.c_str(), points, false, false, choice.charset}, scale);
}

HFONT DefaultGuiFont(const DisplayScale& scale) {
    // The stock dialog face, at 8 points on the window's display.
    static std::map<int, ScopedFont> fonts;
    ScopedFont& font = fonts[scale.Dpi()];
    if (!font) {
        LOGFONTA stock{};
        ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof stock, &stock);
        font = CreateControlFont({stock.lfFaceName, 8, false, false, stock.lfCharSet}, scale);
    }
    return font.get();
}

}  // namespace tarnvel
