#pragma once
// A standard control (an edit, a button) whose messages pass through a C++
// object first: Derived::HandleMessage sees each of them, inside the
// program's failure boundary, and hands on what it does not take with
// CallOriginal. The object lets go of the control at WM_NCDESTROY, and
// before it is itself destroyed.

#include <windows.h>

#include <utility>

#include "ui/win32/window_base.h"

namespace tarnvel {

template <class Derived>
class SubclassedControl {
public:
    SubclassedControl() = default;
    SubclassedControl(const SubclassedControl&) = delete;
    SubclassedControl& operator=(const SubclassedControl&) = delete;
    ~SubclassedControl() { Detach(); }

    HWND Handle() const noexcept { return control_; }

protected:
    // Makes a control of a system class (spec.id, spec.parent set) and
    // routes its messages through this object; throws WindowsFailure.
    void CreateControl(const WindowSpec& spec, const char* className, const char* what) {
        control_ = CreateWindowChecked(spec, className, nullptr, what);
        ::SetWindowLongPtrA(control_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        original_ = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassedControl::Procedure)));
    }

    LRESULT CallOriginal(UINT message, WPARAM wParam, LPARAM lParam) {
        return ::CallWindowProcA(original_, control_, message, wParam, lParam);
    }

private:
    void Detach() noexcept {
        if (!control_)
            return;
        HWND control = std::exchange(control_, nullptr);
        ::SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
        ::SetWindowLongPtrA(control, GWLP_USERDATA, 0);
    }

    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        auto* self = reinterpret_cast<SubclassedControl*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (!self)
            return ::DefWindowProcA(hwnd, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            const WNDPROC original = self->original_;
            self->Detach();
            return ::CallWindowProcA(original, hwnd, message, wParam, lParam);
        }
        return HandleGuarded([&] { return static_cast<Derived*>(self)->HandleMessage(message, wParam, lParam); });
    }

    HWND control_ = nullptr;
    WNDPROC original_ = nullptr;
};

}  // namespace tarnvel
