// Tarnvel: ends the Windows session after a countdown.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "ui/application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    // The picture decoder is an OLE service; the common controls give the
    // buttons the system's visual style where it has one.
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    int exitCode = 0;
    {
        tarnvel::Application application;
        exitCode = application.Run(showCommand);
    }
    ::OleUninitialize();
    return exitCode;
}
