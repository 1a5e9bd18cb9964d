#include "ui/main_window.h"

#include <algorithm>
#include <string>

#include "countdown/time_fields.h"
#include "sysexit/exit_mode.h"
#include "sysexit/os_family.h"
#include "sysexit/shutdown_request_win32.h"
#include "ui/app_identity.h"
#include "ui/program_icon.h"
#include "ui/resource.h"
#include "ui/win32/display_dpi.h"
#include "ui/win32/fonts.h"
#include "ui/win32/high_contrast.h"
#include "ui/win32/message_box.h"
#include "ui/win32/window_geometry.h"

namespace tarnvel {
namespace {

constexpr DWORD kMainStyle = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kMainExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
constexpr COLORREF kWhite = RGB(255, 255, 255);

// The artwork's sizes at 96 DPI, in pixels.
constexpr SIZE kSkinSize{184, 312};
constexpr SIZE kCloseSize{21, 21};
constexpr int kIconSize = 32;
constexpr TwipRect kDesignSize{0, 0, 6930, 5580};
constexpr TwipRect kImage1{1800, 480, 315, 315};
constexpr TwipRect kImage2{1140, 3960, 480, 480};

enum class Kind { kLabel, kField, kButton, kCloseButton };
enum class Font { kNone, kMingField, kMingButton, kDefault };

// The controls with windows, on the skin, in twips. In this order they are
// made, lie in z-order and take the keyboard focus: each field comes just
// after its label, which names it for a screen reader, and the keyboard
// goes hours, minutes, seconds, Start, Reset, About, Option, close.
struct ControlSpec {
    int id;
    Kind kind;
    const char* text;
    TwipRect place;
    Font font;
    const char* what;
};
constexpr ControlSpec kControls[] = {
    {IDC_LABEL1_0, Kind::kLabel, "Hour", {600, 2760, 495, 255}, Font::kNone, "The Hour label"},
    {IDC_TEXT1_0, Kind::kField, "", {480, 3000, 495, 375}, Font::kMingField, "The hours field"},
    {IDC_LABEL1_1, Kind::kLabel, "Min", {1253, 2760, 495, 255}, Font::kNone, "The Min label"},
    {IDC_TEXT1_1, Kind::kField, "", {1145, 3000, 495, 375}, Font::kMingField, "The minutes field"},
    {IDC_LABEL1_2, Kind::kLabel, "Sec", {1920, 2760, 495, 255}, Font::kNone, "The Sec label"},
    {IDC_TEXT1_2, Kind::kField, "", {1800, 3000, 495, 375}, Font::kMingField, "The seconds field"},
    {IDC_COMMAND1, Kind::kButton, "Start", {480, 3480, 855, 255}, Font::kMingButton, "The Start button"},
    {IDC_COMMAND2, Kind::kButton, "Reset", {1440, 3480, 855, 255}, Font::kMingButton, "The Reset button"},
    {IDC_COMMAND3, Kind::kButton, "About", {1440, 3720, 855, 240}, Font::kDefault, "The About button"},
    {IDC_BTNOPTION, Kind::kButton, "Option", {480, 3720, 855, 255}, Font::kDefault, "The Option button"},
    {IDC_LABEL1_3, Kind::kLabel, "Tarnvel", {600, 2450, 1815, 375}, Font::kNone, "The title"},
    {IDC_IMAGE1, Kind::kCloseButton, "Close", kImage1, Font::kNone, "The close button"},
};

// The labels as drawn on the skin, bottom to top: the unit labels lie over
// the title's bottom edge.
constexpr int kDrawnLabels[] = {IDC_LABEL1_3, IDC_LABEL1_2, IDC_LABEL1_1, IDC_LABEL1_0};

const ControlSpec& SpecOf(int id) {
    for (const ControlSpec& spec : kControls)
        if (spec.id == id)
            return spec;
    return kControls[0];
}

int LabelIndex(int id) {
    return id - IDC_LABEL1_0;
}

}  // namespace

HICON MainWindow::ClassIcon() {
    return ProgramIcon();
}

void MainWindow::Open(int showCommand) {
    WindowSpec spec;
    spec.title = "Tarnvel";
    spec.style = kMainStyle;
    spec.exStyle = kMainExStyle;
    // The design size; the load replaces it with the skin's size.
    const RECT design = PixelRect(kDesignSize, SystemScale());
    spec.x = 0;
    spec.y = 0;
    spec.width = design.right;
    spec.height = design.bottom;
    Create(spec, "The main window");
    lifetime_.WindowOpened();
    CountdownHost& host = *this;
    controller_ = std::make_unique<CountdownControl>(fields_, command1_, command2_, timer1_, host);
    Form_Load();
    CentreOnScreen(Handle());
    ::ShowWindow(Handle(), showCommand);
    ::UpdateWindow(Handle());
    ::SetFocus(text1_[kHours].Handle());
}

void MainWindow::CreateFonts() {
    mingButtonFont_ = CreateMingFont(9.75, scale_);
    mingFieldFont_ = CreateMingFont(12, scale_);
    titleFont_ = CreateControlFont({"Arial", 9.75, true}, scale_);
}

HFONT MainWindow::FontOf(int id) const {
    switch (SpecOf(id).font) {
        case Font::kMingField:
            return mingFieldFont_.get();
        case Font::kMingButton:
            return mingButtonFont_.get();
        case Font::kDefault:
            return DefaultGuiFont(scale_);
        default:
            return nullptr;
    }
}

// Where a control lies on the skin at scale_. A unit label ends where its
// field begins: the field is drawn over the label's last row, and a label
// window that reached into the field would cover it.
RECT MainWindow::PlaceOf(int id) const {
    const ControlSpec& spec = SpecOf(id);
    RECT place = PixelRect(spec.place, scale_);
    if (spec.kind == Kind::kLabel && spec.id != IDC_LABEL1_3) {
        const RECT field = PixelRect(SpecOf(IDC_TEXT1_0 + LabelIndex(spec.id)).place, scale_);
        place.bottom = std::min(place.bottom, field.top);
    }
    return place;
}

// The controls at scale_: made the first time, placed again after a change
// of DPI.
void MainWindow::LayOutControls() {
    const HWND skin = pic1_.Handle();
    for (const ControlSpec& spec : kControls) {
        const RECT place = PlaceOf(spec.id);
        if (HWND made = ::GetDlgItem(skin, spec.id))
            PlaceChildAt(made, place, FontOf(spec.id));
        else
            CreateControl(spec.id, place);
    }
}

void MainWindow::CreateControl(int id, const RECT& place) {
    const ControlSpec& spec = SpecOf(id);
    const HWND skin = pic1_.Handle();
    const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
    switch (spec.kind) {
        case Kind::kLabel:
            label1_[LabelIndex(spec.id)].Create(
                skin, spec.id, place, spec.text,
                [this, id = spec.id](HDC dc, const RECT&) { pic1_.PaintBehind(::GetDlgItem(pic1_.Handle(), id), dc); },
                spec.what);
            break;
        case Kind::kField: {
            const int i = spec.id - IDC_TEXT1_0;
            text1_[i].Create(ChildSpec(skin, spec.id, spec.place, 0, scale_), FontOf(spec.id), spec.what);
            text1_[i].onLeft = [this, i] { controller_->Text1_LostFocus(i); };
            break;
        }
        case Kind::kButton: {
            const HWND made = CreateChildControl(skin, spec.id, "BUTTON", spec.text, button, spec.place,
                                                 FontOf(spec.id), scale_, spec.what);
            if (spec.id == IDC_COMMAND1)
                command1_.Attach(made);
            else if (spec.id == IDC_COMMAND2)
                command2_.Attach(made);
            break;
        }
        case Kind::kCloseButton:  // drawn by the skin box: the close picture, and the focus around it
            closeButton_.Create(skin, spec.id, spec.text, spec.place, scale_, spec.what);
            break;
    }
}

// What the skin shows besides the picture: the close picture, the labels'
// texts and the program icon, drawn into its image, in the system's colours
// where high contrast asks for them.
void MainWindow::CreateDrawnControls() {
    pic1_.ClearDrawn();
    closePicture_.emplace(
        PictureAtScale(IDR_CLOSE_GIF, IDR_CLOSE_200_GIF, kCloseSize.cx, kCloseSize.cy, scale_, "The close picture"));
    iconImage_ = LoadIconOfSize(IDI_TARNVEL, scale_.Pixels(kIconSize));
    DrawnLabel image1;
    image1.id = IDC_IMAGE1;
    image1.place = PixelRect(kImage1, scale_);
    pic1_.AddDrawn(image1, &*closePicture_);

    const bool highContrast = HighContrastOn();
    for (const int id : kDrawnLabels) {
        const ControlSpec& spec = SpecOf(id);
        DrawnLabel label;
        label.id = id;
        label.place = PixelRect(spec.place, scale_);
        label.font = id == IDC_LABEL1_3 ? titleFont_.get() : DefaultGuiFont(scale_);
        label.textColour = TextColour(kWhite);
        label.opaque = highContrast;  // on the system's face colour, not on the skin
        label.text = spec.text;
        pic1_.AddDrawn(label);
    }
    DrawnLabel image2;
    image2.id = IDC_IMAGE2;
    image2.place = PixelRect(kImage2, scale_);
    image2.icon = iconImage_ ? iconImage_.get() : icon_;
    image2.iconSize = scale_.Pixels(kIconSize);
    pic1_.AddDrawn(image2);
    for (LabelControl& label : label1_)
        label.Redraw();
    ::InvalidateRect(::GetDlgItem(pic1_.Handle(), IDC_IMAGE1), nullptr, FALSE);
}

// The OS-family flag first: it says which functions tell the window its DPI,
// and the controls, the skin and the region are made at that DPI.
void MainWindow::Form_Load() {
    glngWhichWindows32 = WhichWindows32FromVersion(QueryWindowsVersion());
    UseDpiFunctionsOf(glngWhichWindows32);
    scale_ = ScaleOfWindow(Handle());
    pic1_.Create(Handle(), IDC_PIC1, "The skin box");
    pic1_.onMouseDown = [this](UINT pressed) { pic1_MouseDown(pressed); };
    CreateFonts();
    LayOutControls();
    timer1_.Attach(Handle());
    ApplySkin();
    glngExitMode = kExitPowerOff;
}

void MainWindow::ApplySkin() {
    // The skin box is borderless, in pixels, keeps its picture in a memory
    // image and takes the picture's size; the window then takes the box's.
    pic1_.AssignPicture(
        PictureAtScale(IDR_SKIN_GIF, IDR_SKIN_200_GIF, kSkinSize.cx, kSkinSize.cy, scale_, "The skin picture"));
    const SIZE size = pic1_.Size();
    ::SetWindowPos(Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ScopedRegion region = pic1_.BuildRegion();
    // Once the window has the region the system owns it; on failure it stays ours.
    if (region && ::SetWindowRgn(Handle(), region.get(), TRUE))
        region.release();
    CreateDrawnControls();
}

void MainWindow::OnDpiChanged(const DisplayScale& scale, LPARAM suggested) {
    if (scale != scale_) {
        scale_ = scale;
        // The fonts the controls and labels have now go once they have new ones.
        const ScopedFont oldButtonFont = std::move(mingButtonFont_);
        const ScopedFont oldFieldFont = std::move(mingFieldFont_);
        const ScopedFont oldTitleFont = std::move(titleFont_);
        CreateFonts();
        LayOutControls();
        ApplySkin();
    }
    MoveToSuggestedCorner(Handle(), suggested);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED)
                OnCommand(LOWORD(wParam));
            return 0;
        case WM_TIMER:
            if (wParam == timer1_.Id())
                controller_->Timer1_Timer();
            return 0;
        case kWmDpiChanged:
            OnDpiChanged(ScaleOfDpiChange(wParam), lParam);
            return 0;
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
            if (HighContrastMayHaveChanged(message, wParam))
                CreateDrawnControls();
            return Default(message, wParam, lParam);
        case WM_CLOSE:
            ::DestroyWindow(Handle());
            return 0;
        case WM_DESTROY:
            timer1_.Stop();
            // The notice cannot be closed by hand: it goes with the main window.
            secondary_.CloseNotice();
            return 0;
        default:
            return Default(message, wParam, lParam);
    }
}

void MainWindow::OnDestroyed() {
    lifetime_.WindowClosed();
}

void MainWindow::OnCommand(int id) {
    switch (id) {
        case IDC_COMMAND1:
            controller_->Command1_Click();
            break;
        case IDC_COMMAND2:
            controller_->Command2_Click();
            break;
        case IDC_COMMAND3:
            secondary_.ShowAbout();
            break;
        case IDC_BTNOPTION:
            secondary_.ShowOptions();
            break;
        case IDC_IMAGE1:
            ::DestroyWindow(Handle());  // unloads the window
            break;
        default:
            break;
    }
}

void MainWindow::pic1_MouseDown(UINT pressed) {
    if (pressed != WM_LBUTTONDOWN) {
        // The caption-drag loop would go on after this button is released.
        pic1_.DragWithOtherButton(Handle(), pressed);
        return;
    }
    ::ReleaseCapture();
    ::SendMessageA(Handle(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void MainWindow::ShowConfirmMessage(const std::string& text) {
    ShowMessageBox(Handle(), text, kConfirmTitle, MB_OK | MB_ICONSTOP);
}

void MainWindow::ShowTimeUpNotice() {
    secondary_.ShowNotice();
}

bool MainWindow::NeedsShutdownPrivilege() const {
    return glngWhichWindows32 == 1;
}

void MainWindow::EnableShutdownPrivilege() {
    Win32PrivilegeApi api([this](const std::string& prompt) { ShowMessageBox(Handle(), prompt, kAppTitle, MB_OK); });
    tarnvel::EnableShutdownPrivilege(api);
}

void MainWindow::RequestSessionEnd() {
    Win32SessionApi api;
    tarnvel::RequestSessionEnd(api, glngExitMode);
}

void MainWindow::ReportTimerFailure() {
    const std::string prompt = "SetTimer error==" + std::to_string(timer1_.FailureCode());
    ShowMessageBox(Handle(), prompt, kAppTitle, MB_OK);
}

}  // namespace tarnvel
