#pragma once
// The About window: product name, version, author, date and requirement,
// a picture, and the home page link. Moving over any of the Label3 labels
// borders the link, moving over the bare window removes the border, moving
// over the picture or the other labels leaves it as it is; a click on any
// Label3 label opens the home page. The link also takes
// the keyboard focus and opens with Enter or Space; Esc closes the window.

#include <windows.h>

#include <array>

#include "ui/controls/label_control.h"
#include "ui/controls/picture_frame.h"
#include "ui/pictures/ole_picture.h"
#include "ui/win32/gdi_handles.h"
#include "ui/win32/window_base.h"

namespace tarnvel {

extern const char kHomePageAddress[];

class AboutWindow : public TopLevelWindow<AboutWindow> {
public:
    static constexpr char kClassName[] = "TarnvelAbout";

    // The picture is decoded when the window is first shown.
    AboutWindow(HICON icon, int pictureResource) : icon_(icon), pictureResource_(pictureResource) {}
    ~AboutWindow() { DestroyDetached(); }

    // Loads the window afresh if it is closed, or brings it forward.
    void Show();

private:
    friend class TopLevelWindow<AboutWindow>;
    void Load();
    // The client size, the picture's box and the labels at Scale().
    void LayOut();
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnClosed();
    void LayOutLabels();
    static bool IsLabel3(int id);
    void SetLinkBorder(bool on);
    void Label3_MouseMove();
    void Label3_Click();

    HICON icon_;
    int pictureResource_;
    OlePicture picture_;
    ScopedFont mingFont_;
    ScopedFont linkFont_;
    PictureFrame picture1_;
    std::array<LabelControl, 9> labels_;  // in the order made
};

}  // namespace tarnvel
