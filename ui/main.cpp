// Tarnvel: ends the Windows session after a countdown.
#include <windows.h>
#include <commctrl.h>

#include "ui/application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    // The common controls give the buttons the system's visual style where
    // it has one.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    tarnvel::Application application;
    return application.Run(showCommand);
}
