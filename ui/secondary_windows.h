#pragma once
// What the main window opens and closes besides itself.

namespace tarnvel {

class SecondaryWindows {
public:
    virtual ~SecondaryWindows() = default;
    virtual void ShowOptions() = 0;
    virtual void ShowAbout() = 0;
    virtual void ShowNotice() = 0;
    virtual void CloseNotice() = 0;
};

}  // namespace tarnvel
