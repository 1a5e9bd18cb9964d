#include "ui/main_window.h"

#include "countdown/time_fields.h"
#include "sysexit/exit_mode.h"
#include "sysexit/os_family.h"
#include "sysexit/shutdown_request_win32.h"
#include "ui/app_identity.h"
#include "ui/fonts.h"
#include "ui/resource.h"
#include "ui/window_geometry.h"

namespace tarnvel {
namespace {

constexpr DWORD kMainStyle = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kMainExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
constexpr COLORREF kWhite = RGB(255, 255, 255);

// Positions on the skin, in twips.
constexpr TwipRect kText1[kFieldCount] = {{480, 3000, 495, 375}, {1145, 3000, 495, 375}, {1800, 3000, 495, 375}};
constexpr TwipRect kCommand1{480, 3480, 855, 255};
constexpr TwipRect kCommand2{1440, 3480, 855, 255};
constexpr TwipRect kCommand3{1440, 3720, 855, 240};
constexpr TwipRect kBtnOption{480, 3720, 855, 255};
constexpr TwipRect kImage1{1800, 480, 315, 315};
constexpr TwipRect kImage2{1140, 3960, 480, 480};

struct LabelSpec {
    int id;
    const wchar_t* caption;
    TwipRect place;
};
// Sibling windows made first lie on top: the unit labels come before the
// title, which they overlap at its bottom edge.
constexpr LabelSpec kLabel1[] = {{IDC_LABEL1_0, L"Hour", {600, 2760, 495, 255}},
                                 {IDC_LABEL1_1, L"Min", {1253, 2760, 495, 255}},
                                 {IDC_LABEL1_2, L"Sec", {1920, 2760, 495, 255}},
                                 {IDC_LABEL1_3, L"Tarnvel", {600, 2450, 1815, 375}}};

}  // namespace

HICON MainWindow::ClassIcon() {
    return ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TARNVEL));
}

MainWindow::MainWindow(const MainArtwork& artwork, SecondaryWindows& secondary, WindowLifetime& lifetime)
    : artwork_(artwork), secondary_(secondary), lifetime_(lifetime) {}

bool MainWindow::Open(int showCommand) {
    WindowSpec spec;
    spec.title = L"Tarnvel";
    spec.style = kMainStyle;
    spec.exStyle = kMainExStyle;
    // The design size; the load replaces it with the skin's size.
    spec.x = 0;
    spec.y = 0;
    spec.width = Px(6930);
    spec.height = Px(5580);
    if (!CreateFrom(spec))
        return false;
    lifetime_.WindowOpened();
    CountdownHost& host = *this;
    controller_ = std::make_unique<CountdownControl>(fields_, command1_, command2_, timer1_, host);
    CreateControls();
    Form_Load();
    CentreOnScreen(Handle());
    ::ShowWindow(Handle(), showCommand);
    ::UpdateWindow(Handle());
    ::SetFocus(text1_[kHours].Handle());
    return true;
}

void MainWindow::CreateControls() {
    pic1_.Create(Handle(), IDC_PIC1);
    pic1_.onMouseDown = [this](UINT pressed) { pic1_MouseDown(pressed); };
    const HWND skin = pic1_.Handle();
    mingButtonFont_ = CreateMingFont(9.75);
    mingFieldFont_ = CreateMingFont(12);
    titleFont_ = CreateControlFont({L"Arial", 9.75, true});

    // Creation order is the keyboard order: hours, minutes, seconds, Start,
    // Reset, About, Option.
    for (int i = 0; i < kFieldCount; ++i) {
        const TwipRect& r = kText1[i];
        text1_[i].Create(skin, IDC_TEXT1_0 + i, Px(r.left), Px(r.top), Px(r.width), Px(r.height),
                         mingFieldFont_.get());
        text1_[i].onLeft = [this, i] { Text1_LostFocus(i); };
    }
    const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
    command1_.Attach(CreateChildControl(skin, IDC_COMMAND1, L"BUTTON", L"Start", button, kCommand1,
                                        mingButtonFont_.get()));
    command2_.Attach(CreateChildControl(skin, IDC_COMMAND2, L"BUTTON", L"Reset", button, kCommand2,
                                        mingButtonFont_.get()));
    command3_ = CreateChildControl(skin, IDC_COMMAND3, L"BUTTON", L"About", button, kCommand3, DefaultGuiFont());
    btnOption_ = CreateChildControl(skin, IDC_BTNOPTION, L"BUTTON", L"Option", button, kBtnOption, DefaultGuiFont());
    timer1_.Attach(Handle());
    CreateLabels();
}

void MainWindow::CreateLabels() {
    const HWND skin = pic1_.Handle();
    LabelLook onSkin;
    onSkin.transparentOver = &pic1_;
    onSkin.textColour = kWhite;

    image2_.Create(PlaceOn(skin, IDC_IMAGE2, kImage2), L"", onSkin);
    image2_.ShowIcon(artwork_.icon);
    for (const LabelSpec& spec : kLabel1) {
        LabelLook look = onSkin;
        look.font = spec.id == IDC_LABEL1_3 ? titleFont_.get() : DefaultGuiFont();
        label1_[spec.id - IDC_LABEL1_0].Create(PlaceOn(skin, spec.id, spec.place), spec.caption, look);
        if (spec.id == IDC_LABEL1_3) {
            image1_.Create(PlaceOn(skin, IDC_IMAGE1, kImage1), L"", onSkin);
            image1_.ShowPicture(artwork_.closePicture);
            image1_.onClick = [this] { ::DestroyWindow(Handle()); };  // unloads the window
        }
    }
}

void MainWindow::Form_Load() {
    glngWhichWindows32 = WhichWindows32FromVersion(QueryWindowsVersion());
    // The skin box is borderless, in pixels, keeps its picture in a memory
    // image and takes the picture's size; the window then takes the box's.
    pic1_.AssignPicture(*artwork_.skin);
    const SIZE size = pic1_.Size();
    ::SetWindowPos(Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ScopedRegion region = pic1_.BuildRegion();
    // Once the window has the region the system owns it; on failure it stays ours.
    if (region && ::SetWindowRgn(Handle(), region.get(), TRUE))
        region.release();
    glngExitMode = kExitPowerOff;
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
        case WM_CLOSE:
            ::DestroyWindow(Handle());
            return 0;
        case WM_DESTROY:
            timer1_.SetEnabled(false);
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

void MainWindow::Text1_LostFocus(int index) {
    if (!Handle())
        return;
    const LeavingResult settled = NormaliseOnLeaving(index, text1_[index].Text());
    if (settled.showLimitMessage)
        ShowConfirmMessage(kLimitMessage);
    if (settled.text != text1_[index].Text())
        text1_[index].SetText(settled.text);
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
    ::MessageBoxA(Handle(), text.c_str(), kConfirmTitle, MB_OK | MB_ICONSTOP);
}

void MainWindow::ShowTimeUpNotice() {
    secondary_.ShowNotice();
}

bool MainWindow::NeedsShutdownPrivilege() const {
    return glngWhichWindows32 == 1;
}

void MainWindow::EnableShutdownPrivilege() {
    Win32PrivilegeApi api(Handle());
    tarnvel::EnableShutdownPrivilege(api);
}

void MainWindow::RequestSessionEnd() {
    Win32SessionApi api;
    tarnvel::RequestSessionEnd(api, glngExitMode);
}

}  // namespace tarnvel
