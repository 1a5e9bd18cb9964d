// High contrast: where Windows says it is on, the texts a person reads take
// the system's colours (button text on the button face) in place of the
// program's own, and a window told of the change draws them so at once. Wine
// never reports high contrast, so the system's answer is stood in for. Each
// window is also saved, as high-contrast-*.bmp beside the test, to be looked at.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ui/application.h"
#include "ui/notice_window.h"
#include "ui/resource.h"
#include "ui/win32/fallible_calls.h"

namespace tarnvel {
namespace {

struct Rgb {
    int r, g, b;
};

// What a window shows on the screen now, bottom-up rows of 24-bit pixels,
// saved as a BMP file when a name is given.
std::vector<Rgb> Shown(HWND window, const char* saveAs = nullptr) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT place{};
    ::GetWindowRect(window, &place);
    const int width = place.right - place.left, height = place.bottom - place.top;
    BITMAPINFOHEADER header{sizeof header, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const int stride = (width * 3 + 3) & ~3;
    std::vector<BYTE> bits(static_cast<size_t>(stride) * height);
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, place.left, place.top, SRCCOPY);
    ::SelectObject(memory, old);
    ::GetDIBits(memory, bitmap, 0, height, bits.data(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    if (saveAs) {
        BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof header + bits.size()), 0, 0,
                              sizeof(BITMAPFILEHEADER) + sizeof header};
        if (FILE* out = std::fopen(saveAs, "wb")) {
            std::fwrite(&file, sizeof file, 1, out);
            std::fwrite(&header, sizeof header, 1, out);
            std::fwrite(bits.data(), 1, bits.size(), out);
            std::fclose(out);
        }
    }
    std::vector<Rgb> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const BYTE* p = &bits[static_cast<size_t>(y) * stride + x * 3];
            pixels.push_back({p[2], p[1], p[0]});
        }
    return pixels;
}

template <class Test>
int Count(const std::vector<Rgb>& pixels, Test test) {
    int count = 0;
    for (const Rgb& p : pixels)
        count += test(p) ? 1 : 0;
    return count;
}

bool IsSystemText(const Rgb& p) {
    const COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
    return std::abs(p.r - GetRValue(text)) + std::abs(p.g - GetGValue(text)) + std::abs(p.b - GetBValue(text)) < 60;
}
bool IsWhite(const Rgb& p) {
    return p.r == 255 && p.g == 255 && p.b == 255;
}
bool IsGreen(const Rgb& p) {
    return p.g > 90 && p.r < 60 && p.b < 60;
}
bool IsRed(const Rgb& p) {
    return p.r > 120 && p.g < 60 && p.b < 60;
}

// The system's settings, with high contrast on.
BOOL WINAPI HighContrastOnToo(UINT action, UINT size, PVOID setting, UINT update) {
    if (action != SPI_GETHIGHCONTRAST)
        return ::SystemParametersInfoA(action, size, setting, update);
    static_cast<HIGHCONTRASTA*>(setting)->dwFlags = HCF_HIGHCONTRASTON;
    return TRUE;
}

class HighContrast : public ::testing::Test {
protected:
    void TearDown() override { Win32Calls() = FallibleCalls(); }
    static void TurnOn() { Win32Calls().systemParametersInfo = &HighContrastOnToo; }
};

TEST_F(HighContrast, TheSkinsLabelsFollowTheSettingAndTheLinkAndNoticeTakeIt) {
    ASSERT_NE(::GetSysColor(COLOR_BTNFACE), RGB(255, 255, 255)) << "the face colour cannot tell the labels apart";
    Application application;
    ASSERT_TRUE(application.Open(SW_SHOWNORMAL));
    HWND main = ::FindWindowA("TarnvelMain", nullptr);
    HWND skin = ::GetDlgItem(main, IDC_PIC1);
    for (int id : {IDC_LABEL1_0, IDC_LABEL1_3}) {
        HWND label = ::GetDlgItem(skin, id);
        EXPECT_GT(Count(Shown(label), IsWhite), 10) << id << ": no white text on the skin";
    }
    TurnOn();
    ::SendMessageA(main, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);  // as Windows tells every window
    for (int id : {IDC_LABEL1_0, IDC_LABEL1_3}) {
        const std::vector<Rgb> shown = Shown(::GetDlgItem(skin, id));
        EXPECT_EQ(Count(shown, IsWhite), 0) << id << ": still the program's own colour";
        EXPECT_GT(Count(shown, IsSystemText), 10) << id << ": not in the system's text colour";
    }
    Shown(main, "high-contrast-main.bmp");

    ::SendMessageA(::GetDlgItem(skin, IDC_COMMAND3), BM_CLICK, 0, 0);
    HWND about = ::FindWindowA("TarnvelAbout", nullptr);
    ASSERT_NE(about, nullptr);
    const std::vector<Rgb> link = Shown(::GetDlgItem(about, IDC_LABEL3_2));
    EXPECT_EQ(Count(link, IsGreen), 0) << "the link keeps its own green";
    EXPECT_GT(Count(link, IsSystemText), 10);
    Shown(about, "high-contrast-about.bmp");

    NoticeWindow notice;
    notice.Show();
    const std::vector<Rgb> message = Shown(::GetDlgItem(notice.Handle(), IDC_NOTICE_LABEL1), nullptr);
    EXPECT_EQ(Count(message, IsRed), 0) << "the notice keeps its own red";
    EXPECT_GT(Count(message, IsSystemText), 10);
    Shown(notice.Handle(), "high-contrast-notice.bmp");
}

}  // namespace
}  // namespace tarnvel
