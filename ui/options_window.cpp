#include "ui/options_window.h"

#include <cstdint>
#include <string>

#include "sysexit/exit_mode.h"
#include "ui/resource.h"
#include "ui/win32/fonts.h"
#include "ui/win32/window_geometry.h"

namespace tarnvel {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

struct ModeButton {
    const char* caption;
    std::int32_t mode;
    TwipRect place;
};
constexpr ModeButton kModes[] = {{"Log Off", kExitLogOff, {240, 120, 1095, 375}},
                                 {"Shutdown", kExitShutdown, {240, 480, 2295, 375}},
                                 {"Reboot", kExitReboot, {240, 840, 1095, 375}},
                                 {"Power Off", kExitPowerOff, {240, 1200, 1335, 375}}};
constexpr int kModeCount = 4;
constexpr TwipRect kChange{1440, 840, 855, 735};
constexpr int kIconSize = 32;  // on the Change button at 96 DPI, in pixels

}  // namespace

OptionsWindow::~OptionsWindow() {
    DestroyDetached();
    if (hiddenOwner_)
        ::DestroyWindow(hiddenOwner_);
}

void OptionsWindow::Show() {
    const bool opening = !Exists();
    Present(SW_SHOWNORMAL);
    ::SetForegroundWindow(Handle());
    if (!opening)
        return;  // brought forward: its focus and focus rectangle stay as they are
    // As in a dialog box opened with the mouse, the focus rectangle waits
    // for the keyboard (the dialog keys show it), unless the user asked to
    // see it always.
    BOOL cuesShown = FALSE;
    if (!::SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &cuesShown, 0) || !cuesShown)
        ::SendMessageA(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    // The focused choice, drawn again, reaches under the Change button's
    // left edge: the button is drawn over it once more.
    ::InvalidateRect(::GetDlgItem(Handle(), IDC_OPTION_CHANGE), nullptr, FALSE);
}

void OptionsWindow::Load() {
    if (!hiddenOwner_) {
        WindowSpec owner;
        owner.style = WS_POPUP;
        owner.x = owner.y = owner.width = owner.height = 0;
        hiddenOwner_ = CreateWindowChecked(owner, "STATIC", nullptr, "The Options window's owner");
    }
    CreateTopLevel(TopLevelSpec("Option", kStyle, kExStyle, 2550, 1710, hiddenOwner_), "The Options window", icon_);
    LayOut();
    KeepOnWorkArea(Handle());
    Form_Load();
}

// The client size, the controls and the Change button's icon at Scale(): the
// controls are made when the window is loaded and placed again after a
// change of DPI.
void OptionsWindow::LayOut() {
    SetClientSize(Handle(), 2550, 1710, Scale());
    changeIcon_ = LoadIconOfSize(IDI_TARNVEL, Scale().Pixels(kIconSize));
    for (int i = 0; i < kModeCount; ++i) {
        const DWORD group = i == 0 ? (WS_GROUP | WS_TABSTOP) : 0;
        const std::string what = std::string("The ") + kModes[i].caption + " choice";
        LayOutChildControl(Handle(), IDC_OPTIONSHUTDOWN_0 + i, "BUTTON", kModes[i].caption,
                           BS_AUTORADIOBUTTON | group, kModes[i].place, DefaultGuiFont(Scale()), Scale(),
                           what.c_str());
    }
    LayOutChildControl(Handle(), IDC_OPTION_CHANGE, "BUTTON", "Change", BS_OWNERDRAW | WS_TABSTOP | WS_GROUP, kChange,
                       DefaultGuiFont(Scale()), Scale(), "The Change button");
}

// The index of the checked choice, or -1 when none is checked.
int OptionsWindow::CheckedChoice() const {
    for (int i = 0; i < kModeCount; ++i)
        if (::IsDlgButtonChecked(Handle(), IDC_OPTIONSHUTDOWN_0 + i) == BST_CHECKED)
            return i;
    return -1;
}

// The checked choice, as a dialog box puts the focus on its group's.
HWND OptionsWindow::FirstFocus() {
    const int checked = CheckedChoice();
    return checked < 0 ? nullptr : ::GetDlgItem(Handle(), IDC_OPTIONSHUTDOWN_0 + checked);
}

void OptionsWindow::Form_Load() {
    // The design state selects "Power Off"; then the stored mode, if known.
    int selected = 3;
    for (int i = 0; i < kModeCount; ++i)
        if (glngExitMode == kModes[i].mode)
            selected = i;
    ::CheckRadioButton(Handle(), IDC_OPTIONSHUTDOWN_0, IDC_OPTIONSHUTDOWN_3, IDC_OPTIONSHUTDOWN_0 + selected);
}

void OptionsWindow::Command1_Click() {
    if (const int checked = CheckedChoice(); checked >= 0)
        glngExitMode = kModes[checked].mode;
    ::DestroyWindow(Handle());
}

LRESULT OptionsWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            // Enter (IDOK, through the dialog keys) presses Change, the
            // dialog's one button; Esc closes it as the title bar does.
            if ((LOWORD(wParam) == IDC_OPTION_CHANGE && HIWORD(wParam) == BN_CLICKED) || LOWORD(wParam) == IDOK)
                Command1_Click();
            else if (LOWORD(wParam) == IDCANCEL)
                ::DestroyWindow(Handle());
            return 0;
        case WM_DRAWITEM:
            DrawChangeButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_GETMINMAXINFO:
            // Narrower than the smallest window Windows would let a user
            // drag to where the caption bar is drawn for a higher DPI than
            // the window's; the window is never resized by hand.
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {0, 0};
            return 0;
        default:
            return Default(message, wParam, lParam);
    }
}

// A push button with the program icon above its caption.
void OptionsWindow::DrawChangeButton(const DRAWITEMSTRUCT& item) const {
    RECT face = item.rcItem;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    ::DrawFrameControl(item.hDC, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
    const int shift = pushed ? 1 : 0;
    const int width = face.right - face.left;
    // The icon and one line of the 8 pt caption just fill the space inside
    // the frame (45 pixels at 96 DPI).
    const int icon = Scale().Pixels(kIconSize);
    ::DrawIconEx(item.hDC, (width - icon) / 2 + shift, 1 + shift, changeIcon_ ? changeIcon_.get() : icon_, icon, icon,
                 0, nullptr, DI_NORMAL);
    RECT caption{face.left + shift, icon + shift, face.right + shift, face.bottom - 1 + shift};
    ::SetBkMode(item.hDC, TRANSPARENT);
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    ::SetTextColor(item.hDC, ::GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    char text[32] = {};
    ::GetWindowTextA(item.hwndItem, text, sizeof text);
    ::DrawTextA(item.hDC, text, -1, &caption, DT_CENTER | DT_TOP | DT_SINGLELINE);
    if (item.itemState & ODS_FOCUS) {
        RECT focus = face;
        ::InflateRect(&focus, -3, -3);
        ::DrawFocusRect(item.hDC, &focus);
    }
}

}  // namespace tarnvel
