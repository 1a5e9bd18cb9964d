// Tarnvel: ends the Windows session after a countdown.
#include <windows.h>
#include <commctrl.h>

#include "ui/application.h"
#include "ui/win32/ole_runtime.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    // The common controls give the buttons the system's visual style where
    // it has one.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    int exitCode = 0;
    {
        tarnvel::Application application;
        exitCode = application.Run(showCommand);
    }
    tarnvel::EndOleIfStarted();
    return exitCode;
}
