#include "ui/application.h"

#include "ui/program_icon.h"

namespace tarnvel {

Application::Application() : icon_(ProgramIcon()), main_(icon_) {}

bool Application::Open(int showCommand) {
    try {
        if (!icon_)
            throw WindowsFailure("The program icon could not be loaded.");
        main_.Open(showCommand);
        return true;
    } catch (const WindowsFailure& failure) {
        main_.DestroyDetached();
        ReportWindowsFailure(failure);
        return false;
    }
}

int Application::Run(int showCommand) {
    if (!Open(showCommand))
        return 1;
    return RunMessageLoop();
}

int Application::RunMessageLoop() {
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        // Tab, arrow keys and mnemonics move between the controls of whichever
        // of the program's windows has the message.
        HWND root = ::GetAncestor(message.hwnd, GA_ROOT);
        if (root && ::IsDialogMessageA(root, &message))
            continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace tarnvel
