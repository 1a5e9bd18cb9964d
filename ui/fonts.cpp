#include "ui/fonts.h"

#include <cwchar>

namespace tarnvel {
namespace {

constexpr int kDesignDpi = 96;
constexpr wchar_t kMingFace[] = L"\u65B0\u7D30\u660E\u9AD4";  // the Chinese name of PMingLiU
constexpr wchar_t kMingFaceEnglish[] = L"PMingLiU";
constexpr BYTE kBig5Charset = CHINESEBIG5_CHARSET;

int CALLBACK NoteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;  // one match is enough
}

}  // namespace

bool IsFontFamilyInstalled(const wchar_t* face, BYTE charset) {
    LOGFONTW wanted{};
    wanted.lfCharSet = charset;
    std::wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    ScopedWindowDc screen(nullptr);
    ::EnumFontFamiliesExW(screen.get(), &wanted, &NoteFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

ScopedFont CreateControlFont(const FontRequest& request) {
    LOGFONTW font{};
    font.lfHeight = -static_cast<LONG>(request.points * kDesignDpi / 72.0 + 0.5);
    font.lfWeight = request.bold ? FW_BOLD : FW_NORMAL;
    font.lfUnderline = request.underline ? TRUE : FALSE;
    font.lfCharSet = request.charset;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    std::wcsncpy(font.lfFaceName, request.face, LF_FACESIZE - 1);
    return ScopedFont(::CreateFontIndirectW(&font));
}

namespace {

struct FaceChoice {
    const wchar_t* face;
    BYTE charset;
};

// Looked up once: the installed fonts do not change under a running window.
FaceChoice MingOrLatinFace() {
    static const FaceChoice choice = []() -> FaceChoice {
        for (const wchar_t* face : {kMingFace, kMingFaceEnglish})
            if (IsFontFamilyInstalled(face, kBig5Charset))
                return {face, kBig5Charset};
        return {IsFontFamilyInstalled(L"Arial", ANSI_CHARSET) ? L"Arial" : L"Tahoma", DEFAULT_CHARSET};
    }();
    return choice;
}

}  // namespace

ScopedFont CreateMingFont(double points) {
    const FaceChoice choice = MingOrLatinFace();
    return CreateControlFont({choice.face, points, false, false, choice.charset});
}

HFONT DefaultGuiFont() {
    // The stock dialog face, at its 96-DPI size whatever the setting.
    static const ScopedFont font = [] {
        LOGFONTW stock{};
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof stock, &stock);
        return CreateControlFont({stock.lfFaceName, 8, false, false, stock.lfCharSet});
    }();
    return font.get();
}

}  // namespace tarnvel
