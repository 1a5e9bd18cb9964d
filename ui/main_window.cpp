#include "ui/main_window.h"

#include <string>

#include "countdown/time_fields.h"
#include "sysexit/exit_mode.h"
#include "sysexit/os_family.h"
#include "sysexit/shutdown_request_win32.h"
#include "ui/app_identity.h"
#include "ui/resource.h"
#include "ui/win32/display_dpi.h"
#include "ui/win32/fonts.h"
#include "ui/win32/message_box.h"
#include "ui/win32/window_geometry.h"

namespace tarnvel {
namespace {

constexpr DWORD kMainStyle = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kMainExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
constexpr COLORREF kWhite = RGB(255, 255, 255);

// Positions on the skin, in twips.
constexpr TwipRect kText1[kFieldCount] = {{480, 3000, 495, 375}, {1145, 3000, 495, 375}, {1800, 3000, 495, 375}};
constexpr const char* kText1Names[kFieldCount] = {"The hours field", "The minutes field", "The seconds field"};
constexpr TwipRect kCommand1{480, 3480, 855, 255};
constexpr TwipRect kCommand2{1440, 3480, 855, 255};
constexpr TwipRect kCommand3{1440, 3720, 855, 240};
constexpr TwipRect kBtnOption{480, 3720, 855, 255};
constexpr TwipRect kImage1{1800, 480, 315, 315};
constexpr TwipRect kImage2{1140, 3960, 480, 480};
// The artwork's sizes at 96 DPI, in pixels.
constexpr SIZE kSkinSize{184, 312};
constexpr SIZE kCloseSize{21, 21};
constexpr int kIconSize = 32;
constexpr TwipRect kDesignSize{0, 0, 6930, 5580};

struct LabelSpec {
    int id;
    const wchar_t* caption;
    TwipRect place;
};
// Drawn bottom to top: the unit labels lie over the title's bottom edge.
constexpr LabelSpec kLabel1[] = {{IDC_LABEL1_3, L"Tarnvel", {600, 2450, 1815, 375}},
                                 {IDC_LABEL1_2, L"Sec", {1920, 2760, 495, 255}},
                                 {IDC_LABEL1_1, L"Min", {1253, 2760, 495, 255}},
                                 {IDC_LABEL1_0, L"Hour", {600, 2760, 495, 255}}};

}  // namespace

HICON MainWindow::ClassIcon() {
    return ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TARNVEL));
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

void MainWindow::CreateControls() {
    pic1_.Create(Handle(), IDC_PIC1, "The skin box");
    pic1_.onMouseDown = [this](UINT pressed) { pic1_MouseDown(pressed); };
    const HWND skin = pic1_.Handle();
    CreateFonts();
    // Creation order is the keyboard order: hours, minutes, seconds, Start,
    // Reset, About, Option.
    for (int i = 0; i < kFieldCount; ++i) {
        text1_[i].Create(ChildSpec(skin, IDC_TEXT1_0 + i, kText1[i], 0, scale_), mingFieldFont_.get(),
                         kText1Names[i]);
        text1_[i].onLeft = [this, i] { controller_->Text1_LostFocus(i); };
    }
    const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
    command1_.Attach(CreateChildControl(skin, IDC_COMMAND1, "BUTTON", "Start", button, kCommand1,
                                        mingButtonFont_.get(), scale_, "The Start button"));
    command2_.Attach(CreateChildControl(skin, IDC_COMMAND2, "BUTTON", "Reset", button, kCommand2,
                                        mingButtonFont_.get(), scale_, "The Reset button"));
    CreateChildControl(skin, IDC_COMMAND3, "BUTTON", "About", button, kCommand3, DefaultGuiFont(scale_), scale_,
                       "The About button");
    CreateChildControl(skin, IDC_BTNOPTION, "BUTTON", "Option", button, kBtnOption, DefaultGuiFont(scale_), scale_,
                       "The Option button");
    timer1_.Attach(Handle());
}

void MainWindow::CreateFonts() {
    mingButtonFont_ = CreateMingFont(9.75, scale_);
    mingFieldFont_ = CreateMingFont(12, scale_);
    titleFont_ = CreateControlFont({"Arial", 9.75, true}, scale_);
}

// After a change of DPI: the controls, made at the old scale, at the new one.
void MainWindow::PlaceControls() {
    const HWND skin = pic1_.Handle();
    for (int i = 0; i < kFieldCount; ++i)
        PlaceChild(text1_[i].Handle(), kText1[i], mingFieldFont_.get(), scale_);
    PlaceChild(::GetDlgItem(skin, IDC_COMMAND1), kCommand1, mingButtonFont_.get(), scale_);
    PlaceChild(::GetDlgItem(skin, IDC_COMMAND2), kCommand2, mingButtonFont_.get(), scale_);
    PlaceChild(::GetDlgItem(skin, IDC_COMMAND3), kCommand3, DefaultGuiFont(scale_), scale_);
    PlaceChild(::GetDlgItem(skin, IDC_BTNOPTION), kBtnOption, DefaultGuiFont(scale_), scale_);
}

void MainWindow::CreateDrawnControls() {
    pic1_.ClearDrawn();
    closePicture_.emplace(
        PictureAtScale(IDR_CLOSE_GIF, IDR_CLOSE_200_GIF, kCloseSize.cx, kCloseSize.cy, scale_, "The close picture"));
    iconImage_ = LoadIconOfSize(IDI_TARNVEL, scale_.Pixels(kIconSize));
    DrawnLabel image1;
    image1.id = IDC_IMAGE1;
    image1.place = PixelRect(kImage1, scale_);
    pic1_.AddDrawn(image1, &*closePicture_, [this] { ::DestroyWindow(Handle()); });  // unloads the window

    ScopedWindowDc screen(nullptr);
    for (const LabelSpec& spec : kLabel1) {
        DrawnLabel label;
        label.id = spec.id;
        label.place = PixelRect(spec.place, scale_);
        label.font = spec.id == IDC_LABEL1_3 ? titleFont_.get() : DefaultGuiFont(scale_);
        label.textColour = kWhite;
        label.text = LabelText(screen.get(), label.font, spec.caption);
        pic1_.AddDrawn(label);
    }
    DrawnLabel image2;
    image2.id = IDC_IMAGE2;
    image2.place = PixelRect(kImage2, scale_);
    image2.icon = iconImage_ ? iconImage_.get() : icon_;
    image2.iconSize = scale_.Pixels(kIconSize);
    pic1_.AddDrawn(image2);
}

// The OS-family flag first: it says which functions tell the window its DPI,
// and the controls, the skin and the region are made at that DPI.
void MainWindow::Form_Load() {
    glngWhichWindows32 = WhichWindows32FromVersion(QueryWindowsVersion());
    UseDpiFunctionsOf(glngWhichWindows32);
    scale_ = ScaleOfWindow(Handle());
    CreateControls();
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
        PlaceControls();
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
