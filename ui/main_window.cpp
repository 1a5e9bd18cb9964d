#include "ui/main_window.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "countdown/time_fields.h"
#include "sysexit/exit_mode.h"
#include "sysexit/os_family.h"
#include "sysexit/shutdown_request_win32.h"
#include "ui/app_identity.h"
#include "ui/program_icon.h"
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
constexpr UINT_PTR kTimer1 = 1;
constexpr UINT kTimer1Interval = 1000;  // ms

enum class Kind { kLabel, kField, kButton, kCloseButton };
enum class Font { kNone, kMingField, kMingButton, kDefault, kTitle };

}  // namespace

// The controls with windows, on the skin, in twips. In this order they are
// made, lie in z-order and take the keyboard focus: each field comes just
// after its label, which names it for a screen reader, and the keyboard
// goes hours, minutes, seconds, Start, Reset, About, Option, close. The
// skin draws the labels and the close picture in the other order, bottom
// to top: the unit labels lie over the title's bottom edge.
struct SkinControlSpec {
    int id;
    Kind kind;
    const char* text;
    TwipRect place;
    Font font;
    const char* what;
};

namespace {

constexpr SkinControlSpec kControls[] = {
    {IDC_LABEL1_0, Kind::kLabel, "Hour", {600, 2760, 495, 255}, Font::kDefault, "The Hour label"},
    {IDC_TEXT1_0, Kind::kField, "", {480, 3000, 495, 375}, Font::kMingField, "The hours field"},
    {IDC_LABEL1_1, Kind::kLabel, "Min", {1253, 2760, 495, 255}, Font::kDefault, "The Min label"},
    {IDC_TEXT1_1, Kind::kField, "", {1145, 3000, 495, 375}, Font::kMingField, "The minutes field"},
    {IDC_LABEL1_2, Kind::kLabel, "Sec", {1920, 2760, 495, 255}, Font::kDefault, "The Sec label"},
    {IDC_TEXT1_2, Kind::kField, "", {1800, 3000, 495, 375}, Font::kMingField, "The seconds field"},
    {IDC_COMMAND1, Kind::kButton, "Start", {480, 3480, 855, 255}, Font::kMingButton, "The Start button"},
    {IDC_COMMAND2, Kind::kButton, "Reset", {1440, 3480, 855, 255}, Font::kMingButton, "The Reset button"},
    {IDC_COMMAND3, Kind::kButton, "About", {1440, 3720, 855, 240}, Font::kDefault, "The About button"},
    {IDC_BTNOPTION, Kind::kButton, "Option", {480, 3720, 855, 255}, Font::kDefault, "The Option button"},
    {IDC_LABEL1_3, Kind::kLabel, "Tarnvel", {600, 2450, 1815, 375}, Font::kTitle, "The title"},
    {IDC_IMAGE1, Kind::kCloseButton, "Close", kImage1, Font::kNone, "The close button"},
};

// A label's window ends where the field below it begins: the field is drawn
// over the label's last row, and a label window that reached into the field
// would cover it. The title lies over no field.
RECT LabelWindowPlace(const SkinControlSpec& label, const DisplayScale& scale) {
    RECT place = PixelRect(label.place, scale);
    const SkinControlSpec* field = &label + 1;
    if (field != std::end(kControls) && field->kind == Kind::kField)
        place.bottom = std::min(place.bottom, PixelRect(field->place, scale).top);
    return place;
}

}  // namespace

HICON MainWindow::ClassIcon() {
    return ProgramIcon();
}

void MainWindow::Load() {
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
    CreateTopLevel(spec, "The main window");
    TimeFieldControls& fields = *this;
    TimerControl& timer = *this;
    CountdownHost& host = *this;
    controller_ = std::make_unique<CountdownControl>(fields, command1_, command2_, timer, host);
    Form_Load();
    CentreOnScreen(Handle());
}

void MainWindow::CreateFonts() {
    mingButtonFont_ = CreateMingFont(9.75, Scale());
    mingFieldFont_ = CreateMingFont(12, Scale());
    titleFont_ = CreateControlFont({"Arial", 9.75, true}, Scale());
}

HFONT MainWindow::FontOf(const SkinControlSpec& spec) const {
    switch (spec.font) {
        case Font::kMingField:
            return mingFieldFont_.get();
        case Font::kMingButton:
            return mingButtonFont_.get();
        case Font::kDefault:
            return DefaultGuiFont(Scale());
        case Font::kTitle:
            return titleFont_.get();
        default:
            return nullptr;
    }
}

void MainWindow::LayOutControls() {
    for (const SkinControlSpec& spec : kControls)
        LayOutControl(spec);
}

void MainWindow::LayOutControl(const SkinControlSpec& spec) {
    const HWND skin = pic1_.Handle();
    switch (spec.kind) {
        case Kind::kLabel: {
            LabelControl& label = label1_[spec.id - IDC_LABEL1_0];
            if (label.Handle()) {
                label.Place(LabelWindowPlace(spec, Scale()));
                break;
            }
            label.look.id = spec.id;
            label.look.text = spec.text;
            label.Create(skin, LabelWindowPlace(spec, Scale()), spec.what,
                         [this, &label](HDC dc) { pic1_.PaintBehind(label.Handle(), dc); });
            break;
        }
        case Kind::kField: {
            const int i = spec.id - IDC_TEXT1_0;
            if (text1_[i].Handle()) {
                PlaceChild(text1_[i].Handle(), spec.place, FontOf(spec), Scale());
                break;
            }
            text1_[i].Create(ChildSpec(skin, spec.id, spec.place, 0, Scale()), FontOf(spec), spec.what);
            text1_[i].onLeft = [this, i] { controller_->Text1_LostFocus(i); };
            break;
        }
        case Kind::kButton: {
            const HWND made = LayOutChildControl(skin, spec.id, "BUTTON", spec.text, WS_TABSTOP | BS_PUSHBUTTON,
                                                 spec.place, FontOf(spec), Scale(), spec.what);
            if (spec.id == IDC_COMMAND1)
                command1_.Attach(made);
            else if (spec.id == IDC_COMMAND2)
                command2_.Attach(made);
            break;
        }
        case Kind::kCloseButton:  // drawn by the skin box: the close picture, and the focus around it
            if (closeButton_.Handle())
                PlaceChild(closeButton_.Handle(), spec.place, nullptr, Scale());
            else
                closeButton_.Create(skin, spec.id, spec.text, spec.place, Scale(), spec.what);
            break;
    }
}

// What the skin shows besides the picture: the close picture, the labels'
// texts and the program icon, at Scale(), in the system's colours where high
// contrast asks for them.
void MainWindow::CreateDrawnControls() {
    closePicture_.emplace(
        PictureAtScale(IDR_CLOSE_GIF, IDR_CLOSE_200_GIF, kCloseSize.cx, kCloseSize.cy, Scale(), "The close picture"));
    iconImage_ = LoadIconOfSize(IDI_TARNVEL, Scale().Pixels(kIconSize));
    const bool highContrast = HighContrastOn();
    for (const SkinControlSpec& spec : kControls) {
        if (spec.kind != Kind::kLabel)
            continue;
        DrawnLabel& look = label1_[spec.id - IDC_LABEL1_0].look;
        look.place = PixelRect(spec.place, Scale());
        look.font = FontOf(spec);
        look.textColour = TextColour(kWhite);
        look.opaque = highContrast;  // on the system's face colour, not on the skin
    }
    pic1_.Recompose();
    for (LabelControl& label : label1_)
        label.Redraw();
    ::InvalidateRect(closeButton_.Handle(), nullptr, FALSE);
}

// Draws over the skin picture, bottom to top: the close picture, the
// labels in the reverse of the order they are made in, and the icon.
void MainWindow::DrawOverSkin(HDC dc, MemoryImage& image) const {
    for (auto spec = std::rbegin(kControls); spec != std::rend(kControls); ++spec) {
        if (spec->kind == Kind::kCloseButton && closePicture_) {
            const RECT place = PixelRect(spec->place, Scale());
            closePicture_->DrawInto(image, place.left, place.top);
        } else if (spec->kind == Kind::kLabel) {
            label1_[spec->id - IDC_LABEL1_0].look.Paint(dc);
        }
    }
    const RECT icon = PixelRect(kImage2, Scale());
    const int size = Scale().Pixels(kIconSize);
    ::DrawIconEx(dc, icon.left, icon.top, iconImage_ ? iconImage_.get() : icon_, size, size, 0, nullptr, DI_NORMAL);
}

// The OS-family flag first: it says which functions tell the window its DPI,
// and the controls, the skin and the region are made at that DPI.
void MainWindow::Form_Load() {
    glngWhichWindows32 = WhichWindows32FromVersion(QueryWindowsVersion());
    UseDpiFunctionsOf(glngWhichWindows32);
    ReadScale();
    pic1_.Create(Handle(), IDC_PIC1, "The skin box");
    pic1_.onMouseDown = [this](UINT pressed, POINT at) { pic1_MouseDown(pressed, at); };
    pic1_.drawOver = [this](HDC dc, MemoryImage& image) { DrawOverSkin(dc, image); };
    LayOut();
    glngExitMode = kExitPowerOff;
}

void MainWindow::LayOut() {
    // The fonts the controls and labels have now go once they have new ones.
    const ScopedFont oldButtonFont = std::move(mingButtonFont_);
    const ScopedFont oldFieldFont = std::move(mingFieldFont_);
    const ScopedFont oldTitleFont = std::move(titleFont_);
    CreateFonts();
    LayOutControls();
    ApplySkin();
}

void MainWindow::ApplySkin() {
    // The skin box is borderless, in pixels, keeps its picture in a memory
    // image and takes the picture's size; the window then takes the box's.
    pic1_.AssignPicture(
        PictureAtScale(IDR_SKIN_GIF, IDR_SKIN_200_GIF, kSkinSize.cx, kSkinSize.cy, Scale(), "The skin picture"));
    const SIZE size = pic1_.Size();
    ::SetWindowPos(Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ScopedRegion region = pic1_.BuildRegion();
    // Once the window has the region the system owns it; on failure it stays ours.
    if (region && ::SetWindowRgn(Handle(), region.get(), TRUE))
        region.release();
    CreateDrawnControls();
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED)
                OnCommand(LOWORD(wParam));
            return 0;
        case WM_TIMER:
            if (wParam == kTimer1)
                controller_->Timer1_Timer();
            return 0;
        case WM_DESTROY:
            Stop();
            // The notice cannot be closed by hand: it goes with the main window.
            notice_.Close();
            return 0;
        default:
            return Default(message, wParam, lParam);
    }
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
            about_.Show();
            break;
        case IDC_BTNOPTION:
            options_.Show();
            break;
        case IDC_IMAGE1:
            ::DestroyWindow(Handle());  // unloads the window
            break;
        default:
            break;
    }
}

void MainWindow::pic1_MouseDown(UINT pressed, POINT at) {
    // A press on the icon is the icon's, not the skin's.
    const RECT icon = PixelRect(kImage2, Scale());
    if (::PtInRect(&icon, at))
        return;
    if (pressed != WM_LBUTTONDOWN) {
        // The caption-drag loop would go on after this button is released.
        pic1_.DragWithOtherButton(Handle(), pressed);
        return;
    }
    ::ReleaseCapture();
    ::SendMessageA(Handle(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

std::string MainWindow::Text(int index) const {
    return text1_[index].Text();
}

void MainWindow::SetText(int index, const std::string& text) {
    text1_[index].SetText(text);
}

void MainWindow::SetEnabled(int index, bool enabled) {
    text1_[index].SetEnabled(enabled);
}

bool MainWindow::Start() {
    if (Win32Calls().setTimer(Handle(), kTimer1, kTimer1Interval, nullptr) != 0)
        return true;
    timerFailure_ = ::GetLastError();
    return false;
}

void MainWindow::Stop() {
    ::KillTimer(Handle(), kTimer1);
}

void PushButton::Attach(HWND button) {
    button_ = button;
}

void PushButton::SetCaption(const std::string& caption) {
    ::SetWindowTextA(button_, caption.c_str());
}

std::string PushButton::Tag() const {
    return tag_;
}

void PushButton::SetTag(const std::string& tag) {
    tag_ = tag;
}

void PushButton::SetEnabled(bool enabled) {
    ::EnableWindow(button_, enabled ? TRUE : FALSE);
}

void MainWindow::ShowConfirmMessage(const std::string& text) {
    ShowMessageBox(Handle(), text, kConfirmTitle, MB_OK | MB_ICONSTOP);
}

void MainWindow::ShowTimeUpNotice() {
    notice_.Show();
}

bool MainWindow::NeedsShutdownPrivilege() const {
    return glngWhichWindows32 == 1;
}

void MainWindow::EnableShutdownPrivilege() {
    Win32PrivilegeApi api([this](const std::string& prompt) { ShowMessageBox(Handle(), prompt, kAppTitle, MB_OK); });
    tarnvel::EnableShutdownPrivilege(api);
}

void MainWindow::RequestSessionEnd() {
    tarnvel::RequestSessionEnd(glngExitMode);
}

void MainWindow::ReportTimerFailure() {
    const std::string prompt = "SetTimer error==" + std::to_string(timerFailure_);
    ShowMessageBox(Handle(), prompt, kAppTitle, MB_OK);
}

}  // namespace tarnvel
