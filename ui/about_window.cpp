#include "ui/about_window.h"

#include <iterator>
#include <string>

#include "ui/resource.h"
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
    Present(SW_SHOWNORMAL);
    ::SetForegroundWindow(Handle());
}

void AboutWindow::Load() {
    if (!picture_.Loaded())
        picture_ = OlePicture(pictureResource_);
    CreateTopLevel(TopLevelSpec("About", kStyle, kExStyle, 4680, 2970), "The About window", icon_);
    picture1_.Create(ChildSpec(Handle(), IDC_PICTURE1, kPicture1, 0, Scale()), picture_, "The About picture's box");
    LayOut();
    KeepOnWorkArea(Handle());
}

void AboutWindow::LayOut() {
    SetClientSize(Handle(), 4680, 2970, Scale());
    const RECT box = PixelRect(kPicture1, Scale());
    ::SetWindowPos(picture1_.Handle(), nullptr, box.left, box.top, box.right - box.left, box.bottom - box.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    picture1_.SetScale(Scale());
    LayOutLabels();
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

// The labels at Scale(): made, in the table's order, when the window is
// loaded (the label made first lies on top), and placed again after a
// change of DPI; the link keeps its border.
void AboutWindow::LayOutLabels() {
    // The fonts the labels have now go once they have new ones.
    const ScopedFont oldMingFont = std::move(mingFont_);
    const ScopedFont oldLinkFont = std::move(linkFont_);
    mingFont_ = CreateMingFont(9, Scale());
    linkFont_ = CreateControlFont({"Arial", 9, false, true}, Scale());
    ScopedWindowDc screen(nullptr);
    for (size_t i = 0; i < std::size(kLabels); ++i) {
        const AboutLabel& spec = kLabels[i];
        LabelControl& label = labels_[i];
        DrawnLabel& look = label.look;
        look.id = spec.id;
        look.place = PixelRect(spec.place, Scale());
        look.opaque = true;
        if (spec.caption) {
            look.font = mingFont_.get();
            look.textColour = ::GetSysColor(COLOR_BTNTEXT);
            look.text = LabelText(screen.get(), look.font, spec.caption);
        } else {
            look.font = linkFont_.get();
            look.textColour = TextColour(kLinkGreen);
            look.format = DT_CENTER | DT_WORDBREAK;
            look.text = kHomePageAddress;
        }
        if (label.Handle()) {
            label.Place(look.place);
            continue;
        }
        label.Create(Handle(), look.place, "An About label");
        if (IsLabel3(spec.id)) {
            label.onHover = [this] { Label3_MouseMove(); };
            label.onClick = [this] { Label3_Click(); };
        }
        if (!spec.caption)
            label.MakeLink();
    }
}

bool AboutWindow::IsLabel3(int id) {
    return id >= IDC_LABEL3_0 && id <= IDC_LABEL3_5;
}

void AboutWindow::SetLinkBorder(bool on) {
    for (LabelControl& label : labels_)
        if (label.look.id == IDC_LABEL3_2 && label.look.border != on) {
            label.look.border = on;
            label.Redraw();
        }
}

void AboutWindow::Label3_MouseMove() {
    SetLinkBorder(true);
}

void AboutWindow::Label3_Click() {
    if (const ShellExecuteAFunction shellExecute = ShellExecuteAOnce())
        shellExecute(Handle(), "open", kHomePageAddress, "", "", SW_SHOWMAXIMIZED);
}

LRESULT AboutWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE:  // over the bare window: the labels take the mouse where they lie
            SetLinkBorder(false);
            return 0;
        case WM_COMMAND:  // Esc, through the dialog keys, closes the window
            if (LOWORD(wParam) == IDCANCEL)
                ::DestroyWindow(Handle());
            return 0;
        default:
            return Default(message, wParam, lParam);
    }
}

void AboutWindow::OnClosed() {
    // Loaded again, the window starts as it was first loaded: no border.
    for (LabelControl& label : labels_)
        label.look.border = false;
    mingFont_.reset();
    linkFont_.reset();
}

}  // namespace tarnvel
