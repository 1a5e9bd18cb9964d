#include "ui/about_window.h"

#include <iterator>
#include <string>

#include "ui/resource.h"
#include "ui/win32/display_dpi.h"
#include "ui/win32/fonts.h"
#include "ui/win32/high_contrast.h"
#include "ui/win32/system_functions.h"
#include "ui/win32/window_geometry.h"

namespace tarnvel {

// The maker's home page, shown as the link and opened by a click on it.
const char kHomePageAddress[] = "http://tarnvel.example/";

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_APPWINDOW;
constexpr COLORREF kLinkGreen = RGB(0, 128, 0);
constexpr TwipRect kPicture1{2160, 120, 2295, 2415};

struct AboutLabel {
    int id;
    const wchar_t* caption;  // null: the home page address
    TwipRect place;
};
// In creation order. "\uFF1A" is the full-width colon.
constexpr size_t kLinkIndex = 3;  // the link's place in kLabels
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

using ShellExecuteAFunction = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);

// The shell is loaded when the link is first opened, not at start-up.
ShellExecuteAFunction ShellExecuteAOnce() {
    static const auto shellExecute = LookUpSystem<ShellExecuteAFunction>("shell32.dll", "ShellExecuteA");
    return shellExecute;
}

}  // namespace

void AboutWindow::Show() {
    LoadUnlessOpen([this] { Load(); });
    ::ShowWindow(Handle(), SW_SHOWNORMAL);
    ::SetForegroundWindow(Handle());
}

void AboutWindow::Load() {
    if (!picture_.Loaded())
        picture_ = OlePicture(pictureResource_);
    Create(TopLevelSpec("About", kStyle, kExStyle, 4680, 2970), "The About window");
    lifetime_.WindowOpened();
    scale_ = ScaleOfWindow(Handle());
    ::SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    picture1_.Create(ChildSpec(Handle(), IDC_PICTURE1, kPicture1, 0, scale_), picture_, "The About picture's box");
    LayOut();
    KeepOnWorkArea(Handle());
}

// The labels' windows where the labels lie: made, in the labels' order, when
// the window is loaded, and placed again after a change of DPI.
void AboutWindow::LayOutLabelWindows() {
    for (size_t i = 0; i < std::size(kLabels); ++i) {
        const DrawnLabel& label = *labels_.Find(kLabels[i].id);
        if (labelWindows_[i].Handle()) {
            labelWindows_[i].Place(label.place);
            continue;
        }
        labelWindows_[i].Create(
            Handle(), label.id, label.place, label.text,
            [this, id = label.id](HDC dc, const RECT&) { labels_.Find(id)->PaintAtOwnOrigin(dc); }, "An About label");
        if (i == kLinkIndex)
            labelWindows_[i].MakeLink([this] { Label3_Click(); });
    }
}

LabelControl& AboutWindow::LinkLabel() {
    return labelWindows_[kLinkIndex];
}

void AboutWindow::LayOut() {
    SetClientSize(Handle(), 4680, 2970, scale_);
    const RECT box = PixelRect(kPicture1, scale_);
    ::SetWindowPos(picture1_.Handle(), nullptr, box.left, box.top, box.right - box.left, box.bottom - box.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    picture1_.SetScale(scale_);
    const DrawnLabel* link = labels_.Find(IDC_LABEL3_2);
    const bool bordered = link && link->border;
    CreateLabels();
    SetLinkBorder(bordered);
    LayOutLabelWindows();
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void AboutWindow::CreateLabels() {
    labels_.Clear();  // before the fonts they are drawn with go
    mingFont_ = CreateMingFont(9, scale_);
    linkFont_ = CreateControlFont({"Arial", 9, false, true}, scale_);
    ScopedWindowDc screen(nullptr);
    // Added bottom to top: the label made first lies on top.
    for (auto made = std::rbegin(kLabels); made != std::rend(kLabels); ++made) {
        const AboutLabel& spec = *made;
        DrawnLabel label;
        label.id = spec.id;
        label.place = PixelRect(spec.place, scale_);
        label.opaque = true;
        label.textColour = ::GetSysColor(COLOR_BTNTEXT);
        label.font = mingFont_.get();
        if (spec.caption) {
            label.text = LabelText(screen.get(), label.font, spec.caption);
        } else {
            label.font = linkFont_.get();
            label.textColour = TextColour(kLinkGreen);
            label.format = DT_CENTER | DT_WORDBREAK;
            label.text = kHomePageAddress;
        }
        if (IsLabel3(&label))
            labels_.Add(label, nullptr, [this] { Label3_Click(); });
        else
            labels_.Add(label);
    }
}

bool AboutWindow::IsLabel3(const DrawnLabel* label) {
    return label && label->id >= IDC_LABEL3_0 && label->id <= IDC_LABEL3_5;
}

void AboutWindow::SetLinkBorder(bool on) {
    DrawnLabel* link = labels_.Find(IDC_LABEL3_2);
    if (!link || link->border == on)
        return;
    link->border = on;
    LinkLabel().Redraw();
}

void AboutWindow::Label3_MouseMove() {
    SetLinkBorder(true);
}

void AboutWindow::Label3_Click() {
    if (const ShellExecuteAFunction shellExecute = ShellExecuteAOnce())
        shellExecute(Handle(), "open", kHomePageAddress, "", "", SW_SHOWMAXIMIZED);
}

LRESULT AboutWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (labels_.TakeRelease(message, lParam))
        return 0;
    switch (message) {
        case WM_MOUSEMOVE: {
            // Over a Label3 label the link gets its border; over the bare
            // window it loses it; over the other labels nothing changes.
            const DrawnLabel* label = labels_.At(DrawnLayer::PointOf(lParam));
            if (IsLabel3(label))
                Label3_MouseMove();
            else if (!label)
                SetLinkBorder(false);
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            labels_.Press(Handle(), DrawnLayer::PointOf(lParam), true);
            return 0;
        case kWmDpiChanged:
            scale_ = ScaleOfDpiChange(wParam);
            LayOut();
            MoveToSuggestedCorner(Handle(), lParam);
            return 0;
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
            if (HighContrastMayHaveChanged(message, wParam))
                LayOut();
            return Default(message, wParam, lParam);
        case WM_COMMAND:  // Esc, through the dialog keys, closes the window
            if (LOWORD(wParam) == IDCANCEL)
                ::DestroyWindow(Handle());
            return 0;
        case WM_CLOSE:
            ::DestroyWindow(Handle());
            return 0;
        default:
            return Default(message, wParam, lParam);
    }
}

void AboutWindow::OnDestroyed() {
    labels_.Clear();
    mingFont_.reset();
    linkFont_.reset();
    lifetime_.WindowClosed();
}

}  // namespace tarnvel
