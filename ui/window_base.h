#pragma once
// A window class per C++ class: the static procedure binds the object at
// WM_NCCREATE and forwards every message to Derived::HandleMessage. No
// exception leaves the procedure: a run-time failure of the count is
// reported there and ends the program.

#include <windows.h>

#include "ui/runtime_error_report.h"

namespace tarnvel {

struct WindowSpec {
    const wchar_t* title = L"";
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    int width = CW_USEDEFAULT;
    int height = CW_USEDEFAULT;
    HWND parent = nullptr;
    int id = 0;  // child windows only
};

template <class Derived>
class BaseWindow {
public:
    BaseWindow() = default;
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;
    ~BaseWindow() {
        if (hwnd_)
            ::DestroyWindow(hwnd_);
    }

    HWND Handle() const noexcept { return hwnd_; }
    bool Exists() const noexcept { return hwnd_ != nullptr; }

protected:
    bool CreateFrom(const WindowSpec& spec) {
        RegisterOnce();
        const HMENU menuOrId = (spec.style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)) : nullptr;
        ::CreateWindowExW(spec.exStyle, Derived::kClassName, spec.title, spec.style, spec.x, spec.y, spec.width,
                          spec.height, spec.parent, menuOrId, ::GetModuleHandleW(nullptr), this);
        return hwnd_ != nullptr;
    }

    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
        return ::DefWindowProcW(hwnd_, message, wParam, lParam);
    }

    // Class settings a derived window may override.
    static HBRUSH ClassBackground() { return reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1); }
    static HICON ClassIcon() { return nullptr; }

private:
    static void RegisterOnce() {
        static const bool registered = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            wc.style = CS_DBLCLKS;
            wc.lpfnWndProc = &BaseWindow::Procedure;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
            wc.hbrBackground = Derived::ClassBackground();
            wc.hIcon = Derived::ClassIcon();
            wc.lpszClassName = Derived::kClassName;
            return ::RegisterClassExW(&wc) != 0;
        }();
        (void)registered;
    }

    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        if (message == WM_NCCREATE) {
            auto* self = static_cast<BaseWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            self->hwnd_ = hwnd;
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<BaseWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (!self)
            return ::DefWindowProcW(hwnd, message, wParam, lParam);
        LRESULT result = 0;
        try {
            result = static_cast<Derived*>(self)->HandleMessage(message, wParam, lParam);
        } catch (...) {
            ReportRuntimeFailureAndEnd(std::current_exception());
        }
        if (message == WM_NCDESTROY) {
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
            static_cast<Derived*>(self)->OnDestroyed();
        }
        return result;
    }

    HWND hwnd_ = nullptr;
};

}  // namespace tarnvel
