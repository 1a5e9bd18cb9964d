#include "ui/about_window.h"

#include <shellapi.h>

#include <string>

#include "ui/fonts.h"
#include "ui/resource.h"
#include "ui/window_geometry.h"

namespace tarnvel {

// The maker's home page, shown as the link and opened by a click on it.
const char kHomePageAddress[] = "http://tarnvel.example/";

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_APPWINDOW;
constexpr COLORREF kLinkGreen = RGB(0, 128, 0);
constexpr int kLink = 2;

struct AboutLabel {
    int id;
    const wchar_t* caption;  // null: the home page address
    TwipRect place;
};
// In creation order. "\uFF1A" is the full-width colon.
constexpr AboutLabel kLabels[] = {
    {IDC_LABEL3_5, L"Window 98/2000/XP", {240, 2280, 1815, 255}},
    {IDC_LABEL3_4, L"Ver 1.0", {240, 480, 1095, 255}},
    {IDC_LABEL3_3, L"Tarnvel", {240, 240, 1575, 255}},
    {IDC_LABEL3_2, nullptr, {2160, 2640, 2295, 255}},
    {IDC_LABEL3_1, L"Requirement\uFF1A", {240, 2040, 1095, 255}},
    {IDC_LABEL2_1, L"12/2004", {240, 1680, 1455, 255}},
    {IDC_LABEL3_0, L"Date\uFF1A", {240, 1440, 1095, 255}},
    {IDC_LABEL2_0, L"Tarnvel Team", {240, 1080, 1455, 255}},
    {IDC_ABOUT_LABEL1, L"Progammer\uFF1A", {240, 840, 1215, 255}},
};

}  // namespace

void AboutWindow::Show() {
    if (!Exists()) {
        if (!picture_.Loaded())
            picture_ = Picture(pictureResource_);
        if (!CreateFrom(TopLevelSpec(L"About", kStyle, kExStyle, 4680, 2970)))
            return;
        lifetime_.WindowOpened();
        ::SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
        CreateControls();
    }
    ::ShowWindow(Handle(), SW_SHOWNORMAL);
    ::SetForegroundWindow(Handle());
}

void AboutWindow::CreateControls() {
    mingFont_ = CreateMingFont(9);
    linkFont_ = CreateControlFont({L"Arial", 9, false, true});

    picture1_.Create(PlaceOn(Handle(), IDC_PICTURE1, {2160, 120, 2295, 2415}), L"", LabelLook{}, WS_EX_CLIENTEDGE);
    picture1_.ShowPicture(&picture_);

    const std::string address = kHomePageAddress;
    for (const AboutLabel& spec : kLabels) {
        LabelLook look;
        look.font = mingFont_.get();
        std::wstring caption = spec.caption ? spec.caption : std::wstring(address.begin(), address.end());
        if (!spec.caption) {
            look.font = linkFont_.get();
            look.textColour = kLinkGreen;
            look.format = DT_CENTER | DT_WORDBREAK;
        }
        LabelControl* label = &label1_;
        if (spec.id >= IDC_LABEL3_0 && spec.id <= IDC_LABEL3_5) {
            label = &label3_[spec.id - IDC_LABEL3_0];
            label->onMouseMove = [this] { Label3_MouseMove(); };
            label->onClick = [this] { Label3_Click(); };
        } else if (spec.id == IDC_LABEL2_0 || spec.id == IDC_LABEL2_1) {
            label = &label2_[spec.id - IDC_LABEL2_0];
        }
        label->Create(PlaceOn(Handle(), spec.id, spec.place), caption, look);
    }
}

void AboutWindow::Label3_MouseMove() {
    label3_[kLink].SetBorder(true);
}

void AboutWindow::Label3_Click() {
    ::ShellExecuteA(Handle(), "open", kHomePageAddress, "", "", SW_SHOWMAXIMIZED);
}

LRESULT AboutWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE:  // the bare window surface
            label3_[kLink].SetBorder(false);
            return 0;
        case WM_CLOSE:
            ::DestroyWindow(Handle());
            return 0;
        default:
            return Default(message, wParam, lParam);
    }
}

void AboutWindow::OnDestroyed() {
    mingFont_.reset();
    linkFont_.reset();
    lifetime_.WindowClosed();
}

}  // namespace tarnvel
