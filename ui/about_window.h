#pragma once
// The About window: product name, version, author, date and requirement,
// a picture, and the home page link. Each label is a static window that
// shows the label as the window lays it out; the mouse passes through them
// to the window, which finds the label under it. Moving over any of the
// Label3 labels borders the link, moving over the bare window removes the
// border; a click on any of them opens the home page. The link also takes
// the keyboard focus and opens with Enter or Space; Esc closes the window.

#include <windows.h>

#include <array>

#include "ui/controls/drawn_layer.h"
#include "ui/controls/label_control.h"
#include "ui/controls/picture_frame.h"
#include "ui/pictures/ole_picture.h"
#include "ui/win32/display_scale.h"
#include "ui/win32/gdi_handles.h"
#include "ui/win32/window_base.h"
#include "ui/window_lifetime.h"

namespace tarnvel {

extern const char kHomePageAddress[];

class AboutWindow : public BaseWindow<AboutWindow> {
public:
    static constexpr char kClassName[] = "TarnvelAbout";

    // The picture is decoded when the window is first shown.
    AboutWindow(HICON icon, int pictureResource, WindowLifetime& lifetime)
        : icon_(icon), pictureResource_(pictureResource), lifetime_(lifetime) {}
    ~AboutWindow() { DestroyDetached(); }

    // Loads the window afresh if it is closed, or brings it forward.
    void Show();

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnDestroyed();

private:
    void Load();
    // The client size, the picture's box and the labels at scale_.
    void LayOut();
    void CreateLabels();
    void LayOutLabelWindows();
    LabelControl& LinkLabel();
    static bool IsLabel3(const DrawnLabel* label);
    void SetLinkBorder(bool on);
    void Label3_MouseMove();
    void Label3_Click();

    HICON icon_;
    int pictureResource_;
    OlePicture picture_;
    WindowLifetime& lifetime_;
    DisplayScale scale_;
    ScopedFont mingFont_;
    ScopedFont linkFont_;
    PictureFrame picture1_;
    DrawnLayer labels_;                         // where each label lies and how it looks
    std::array<LabelControl, 9> labelWindows_;  // their windows, in the order made
};

}  // namespace tarnvel
