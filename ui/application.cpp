#include "ui/application.h"

#include "ui/resource.h"

namespace tarnvel {
namespace {

// An invisible top-level window that owns the Options dialog, so that the
// dialog has no taskbar button and still belongs to no visible window.
HWND CreateHiddenOwner() {
    return ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, ::GetModuleHandleW(nullptr),
                             nullptr);
}

}  // namespace

Application::Application()
    : icon_(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TARNVEL))),
      skin_(IDR_SKIN_GIF),
      closePicture_(IDR_CLOSE_GIF),
      hiddenOwner_(CreateHiddenOwner()),
      options_(icon_, hiddenOwner_, *this),
      about_(icon_, IDR_ABOUT_JPG, *this),
      notice_(*this),
      main_({icon_, &skin_, &closePicture_}, *this, *this) {}

Application::~Application() {
    ::DestroyWindow(hiddenOwner_);
}

void Application::WindowClosed() {
    if (--openWindows_ == 0)
        ::PostQuitMessage(0);
}

int Application::Run(int showCommand) {
    if (!main_.Open(showCommand))
        return 1;
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Tab, arrow keys and mnemonics move between the controls of whichever
        // of the program's windows has the message.
        HWND root = ::GetAncestor(message.hwnd, GA_ROOT);
        if (root && ::IsDialogMessageW(root, &message))
            continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace tarnvel
