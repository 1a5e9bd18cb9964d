#pragma once
// A window class per C++ class: the static procedure binds the object at
// WM_NCCREATE and forwards every message to Derived::HandleMessage, inside
// the program's failure boundary. The object is detached from its window at
// WM_NCDESTROY, and before it tears a still-living window down, so no
// message ever reaches an object that is gone. Top-level windows keep the
// focus of their controls across deactivation, as dialog boxes do, and are
// counted: the program ends when the last one closes. TopLevelWindow, at
// the end, is what the program's four top-level windows do alike.

#include <windows.h>

#include <utility>

#include "ui/win32/display_dpi.h"
#include "ui/win32/fallible_calls.h"
#include "ui/win32/high_contrast.h"
#include "ui/win32/runtime_error_report.h"
#include "ui/win32/windows_failure.h"

namespace tarnvel {

// The boundary every window procedure of the program puts around its
// handlers: no exception leaves it. A part of the program that Windows could
// not make is reported and the program goes on; a run-time failure of the
// count is reported and ends the program.
template <class Handler>
LRESULT HandleGuarded(Handler&& handle) noexcept {
    try {
        return handle();
    } catch (const WindowsFailure& failure) {
        ReportWindowsFailure(failure);
        return 0;
    } catch (...) {
        ReportRuntimeFailureAndEnd(std::current_exception());
    }
}

struct WindowSpec {
    const char* title = "";
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    int width = CW_USEDEFAULT;
    int height = CW_USEDEFAULT;
    HWND parent = nullptr;  // the parent of a child, the owner of a top-level window
    int id = 0;             // child windows only
};

// Creates a window through the program's fallible calls; throws
// WindowsFailure naming `what` when Windows cannot make it.
HWND CreateWindowChecked(const WindowSpec& spec, const char* className, void* creationData, const char* what);

// The program's open top-level windows. When the last one closes, the
// message loop is told to end; one torn down (not closed) only leaves the
// count.
void CountWindowOpened() noexcept;
void CountWindowGone(bool closed) noexcept;

// Moves a top-level window, laid out again for a new DPI, to the corner of
// the rectangle Windows suggests with the change (whose size is the
// window's old size scaled, the layout's give or take a pixel of rounding);
// keeps it where it is when no rectangle came with the change.
void MoveToSuggestedCorner(HWND window, LPARAM suggested);

template <class Derived>
class BaseWindow {
public:
    BaseWindow() = default;
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;
    ~BaseWindow() { DestroyDetached(); }

    HWND Handle() const noexcept { return hwnd_; }
    bool Exists() const noexcept { return hwnd_ != nullptr; }

    // Destroys the window without this object hearing of it (no handler of
    // its closing runs): for tearing down, not for closing.
    void DestroyDetached() noexcept {
        if (!hwnd_)
            return;
        HWND window = std::exchange(hwnd_, nullptr);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        ::DestroyWindow(window);
        if (std::exchange(counted_, false))
            CountWindowGone(false);
    }

protected:
    void Create(const WindowSpec& spec, const char* what) {
        RegisterOnce(what);
        CreateWindowChecked(spec, Derived::kClassName, this, what);
        if (!(spec.style & WS_CHILD)) {
            counted_ = true;
            CountWindowOpened();
        }
    }

    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
        return ::DefWindowProcA(hwnd_, message, wParam, lParam);
    }

    // Loads the window with `load` when it does not exist; a load that fails
    // tears down what it made of the window before the failure goes on.
    template <class Load>
    void LoadUnlessOpen(Load&& load) {
        if (Exists())
            return;
        try {
            load();
        } catch (...) {
            DestroyDetached();
            throw;
        }
    }

    // Answers WM_PAINT with paint(dc).
    template <class Paint>
    LRESULT PaintWith(Paint&& paint) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd_, &ps);
        paint(dc);
        ::EndPaint(hwnd_, &ps);
        return 0;
    }

    // Class settings a derived window may override.
    static HBRUSH ClassBackground() { return reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1); }
    static HICON ClassIcon() { return nullptr; }
    void OnDestroyed() {}

private:
    static void RegisterOnce(const char* what) {
        static const bool registered = [] {
            WNDCLASSEXA wc{};
            wc.cbSize = sizeof wc;
            wc.style = CS_DBLCLKS;
            wc.lpfnWndProc = &BaseWindow::Procedure;
            wc.hInstance = ::GetModuleHandleA(nullptr);
            wc.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */);
            wc.hbrBackground = Derived::ClassBackground();
            wc.hIcon = Derived::ClassIcon();
            wc.lpszClassName = Derived::kClassName;
            return ::RegisterClassExA(&wc) != 0;
        }();
        if (!registered)
            ThrowWindowsFailure(what, "RegisterClassExA");
    }

    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        if (message == WM_NCCREATE) {
            auto* self = static_cast<BaseWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
            self->hwnd_ = hwnd;
            ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<BaseWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (!self)
            return ::DefWindowProcA(hwnd, message, wParam, lParam);
        if (self->KeepFocus(message, wParam))
            return 0;
        const LRESULT result =
            HandleGuarded([&] { return static_cast<Derived*>(self)->HandleMessage(message, wParam, lParam); });
        if (message == WM_NCDESTROY) {
            ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
            self->lastFocus_ = nullptr;
            HandleGuarded([&] {
                static_cast<Derived*>(self)->OnDestroyed();
                return LRESULT{0};
            });
            if (std::exchange(self->counted_, false))
                CountWindowGone(true);
        }
        return result;
    }

    // Keeps the focus of the window's controls across deactivation and
    // minimising, as dialog boxes do: remembers the control with the focus
    // when the window is deactivated or minimised, or when the system moves
    // the focus from it to the window itself, and gives the focus back to it
    // on activation and whenever the window itself is given the focus.
    // Returns true when it placed the focus.
    bool KeepFocus(UINT message, WPARAM wParam) noexcept {
        switch (message) {
            case WM_ACTIVATE:
                if (LOWORD(wParam) == WA_INACTIVE) {
                    RememberFocus(::GetFocus());
                    return false;
                }
                return HIWORD(wParam) == 0 && GiveFocusBack();  // not while minimised
            case WM_SYSCOMMAND:
                if ((wParam & 0xFFF0) == SC_MINIMIZE)
                    RememberFocus(::GetFocus());
                return false;
            case WM_SETFOCUS:
                RememberFocus(reinterpret_cast<HWND>(wParam));
                return !::IsIconic(hwnd_) && GiveFocusBack();
            default:
                return false;
        }
    }

    void RememberFocus(HWND control) noexcept {
        if (control && ::IsChild(hwnd_, control))
            lastFocus_ = control;
    }

    bool GiveFocusBack() noexcept {
        if (!lastFocus_ || !::IsChild(hwnd_, lastFocus_) || !::IsWindowEnabled(lastFocus_) ||
            !::IsWindowVisible(lastFocus_))
            return false;
        ::SetFocus(lastFocus_);
        return true;
    }

    HWND hwnd_ = nullptr;
    HWND lastFocus_ = nullptr;
    bool counted_ = false;  // among the program's open top-level windows
};

// What the program's four top-level windows do alike, said once: each is
// made at the DPI of its display and laid out again when that changes,
// takes the system's colours for its texts when high contrast comes or goes,
// closes on WM_CLOSE where a person may close it, and opens with the focus
// where a dialog box would put it. The window base counts it among the
// program's open windows.
//
// Derived provides
//   void Load();                              makes the window: CreateTopLevel, then its contents
//   void LayOut();                            sizes and places everything at Scale()
//   LRESULT OnMessage(UINT, WPARAM, LPARAM);  the messages that are its own
// and may hide
//   void OnColoursChanged();                  default: LayOut()
//   HWND FirstFocus();                        the control that has the focus when it opens
//   void OnClosed();                          at its destruction
//   static constexpr bool kClosable;          false: WM_CLOSE does nothing

template <class Derived>
class TopLevelWindow : public BaseWindow<Derived> {
public:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case kWmDpiChanged: {
                const DisplayScale scale = ScaleOfDpiChange(wParam);
                if (scale != scale_) {
                    scale_ = scale;
                    Self().LayOut();
                }
                MoveToSuggestedCorner(this->Handle(), lParam);
                return 0;
            }
            case WM_SYSCOLORCHANGE:
            case WM_SETTINGCHANGE:
                if (HighContrastMayHaveChanged(message, wParam))
                    Self().OnColoursChanged();
                break;
            case WM_CLOSE:
                if (Derived::kClosable)
                    ::DestroyWindow(this->Handle());
                return 0;
            default:
                break;
        }
        return Self().OnMessage(message, wParam, lParam);
    }

    void OnDestroyed() { Self().OnClosed(); }

protected:
    static constexpr bool kClosable = true;
    void OnColoursChanged() { Self().LayOut(); }
    HWND FirstFocus() { return nullptr; }
    void OnClosed() {}

    const DisplayScale& Scale() const noexcept { return scale_; }
    // Reads the scale of the window's display again (after the program has
    // chosen which functions tell it).
    void ReadScale() { scale_ = ScaleOfWindow(this->Handle()); }

    // Makes the window at the scale of its display, with the icon (if any)
    // on its title bar.
    void CreateTopLevel(const WindowSpec& spec, const char* what, HICON icon = nullptr) {
        this->Create(spec, what);
        ReadScale();
        if (icon)
            ::SendMessageA(this->Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    }

    // Loads the window if it is closed, shows it and paints it at once; a
    // window just loaded takes the focus where a dialog box would put it.
    void Present(int showCommand) {
        const bool loading = !this->Exists();
        this->LoadUnlessOpen([this] { Self().Load(); });
        ::ShowWindow(this->Handle(), showCommand);
        ::UpdateWindow(this->Handle());
        if (loading)
            if (HWND first = Self().FirstFocus())
                ::SetFocus(first);
    }

private:
    Derived& Self() { return static_cast<Derived&>(*this); }

    DisplayScale scale_;
};

}  // namespace tarnvel
