#pragma once
// The About window: product name, version, author, date and requirement,
// a picture, and the home page link. Moving over any of the Label3 labels
// borders the link, moving over the bare window removes the border; a click
// on any of them opens the home page.

#include <windows.h>

#include <array>

#include "ui/gdi_handles.h"
#include "ui/label_control.h"
#include "ui/picture.h"
#include "ui/window_base.h"
#include "ui/window_lifetime.h"

namespace tarnvel {

extern const char kHomePageAddress[];

class AboutWindow : public BaseWindow<AboutWindow> {
public:
    static constexpr wchar_t kClassName[] = L"TarnvelAbout";

    // The picture is decoded when the window is first shown.
    AboutWindow(HICON icon, int pictureResource, WindowLifetime& lifetime)
        : icon_(icon), pictureResource_(pictureResource), lifetime_(lifetime) {}

    // Loads the window afresh if it is closed, or brings it forward.
    void Show();

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnDestroyed();

private:
    void CreateControls();
    void Label3_MouseMove();
    void Label3_Click();

    HICON icon_;
    int pictureResource_;
    Picture picture_;
    WindowLifetime& lifetime_;
    ScopedFont mingFont_;
    ScopedFont linkFont_;
    LabelControl picture1_;
    std::array<LabelControl, 6> label3_;
    std::array<LabelControl, 2> label2_;
    LabelControl label1_;
};

}  // namespace tarnvel
