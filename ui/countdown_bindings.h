#pragma once
// The controller's view of the real controls: the three edit fields, push
// buttons with a caption, a tag and an enabled state, and a window timer.

#include <windows.h>

#include <array>
#include <string>

#include "countdown/control_ports.h"
#include "ui/controls/time_field.h"
#include "ui/win32/fallible_calls.h"

namespace tarnvel {

class FieldControls final : public TimeFieldControls {
public:
    explicit FieldControls(std::array<TimeField, kFieldCount>& fields) : fields_(fields) {}
    std::string Text(int index) const override { return fields_[index].Text(); }
    void SetText(int index, const std::string& text) override { fields_[index].SetText(text); }
    void SetEnabled(int index, bool enabled) override { fields_[index].SetEnabled(enabled); }

private:
    std::array<TimeField, kFieldCount>& fields_;
};

class PushButton final : public ButtonControl {
public:
    explicit PushButton(std::string initialTag = "") : tag_(std::move(initialTag)) {}
    void Attach(HWND button) { button_ = button; }

    void SetCaption(const std::string& caption) override { ::SetWindowTextA(button_, caption.c_str()); }
    std::string Tag() const override { return tag_; }
    void SetTag(const std::string& tag) override { tag_ = tag; }
    void SetEnabled(bool enabled) override { ::EnableWindow(button_, enabled ? TRUE : FALSE); }

private:
    HWND button_ = nullptr;
    std::string tag_;
};

class WindowTimer final : public TimerControl {
public:
    WindowTimer(UINT_PTR id, UINT intervalMs) : id_(id), interval_(intervalMs) {}
    void Attach(HWND window) { window_ = window; }
    // Setting an existing timer again restarts its interval.
    bool Start() override {
        if (Win32Calls().setTimer(window_, id_, interval_, nullptr) != 0)
            return true;
        failureCode_ = ::GetLastError();
        return false;
    }
    void Stop() override { ::KillTimer(window_, id_); }
    UINT_PTR Id() const noexcept { return id_; }
    // The last-error code of the last start that failed.
    DWORD FailureCode() const noexcept { return failureCode_; }

private:
    HWND window_ = nullptr;
    UINT_PTR id_;
    UINT interval_;
    DWORD failureCode_ = 0;
};

}  // namespace tarnvel
