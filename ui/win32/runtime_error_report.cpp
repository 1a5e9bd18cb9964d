#include "ui/win32/runtime_error_report.h"

#include <windows.h>

#include <string>

#include "countdown/runtime_failure.h"
#include "ui/app_identity.h"
#include "ui/win32/message_box.h"

namespace tarnvel {

void ReportRuntimeFailureAndEnd(std::exception_ptr failure) noexcept {
    std::string text = "Run-time error";
    try {
        std::rethrow_exception(failure);
    } catch (const RuntimeFailure& known) {
        text = DescribeRuntimeFailure(known);
    } catch (const std::exception& other) {
        text += ":\n\n" + std::string(other.what());
    } catch (...) {
    }
    ShowMessageBox(nullptr, text, kAppTitle, MB_OK | MB_ICONSTOP | MB_TASKMODAL);
    ::ExitProcess(1);
}

void ReportWindowsFailure(const WindowsFailure& failure) noexcept {
    try {
        ShowMessageBox(nullptr, failure.what(), kAppTitle, MB_OK | MB_ICONSTOP | MB_TASKMODAL);
    } catch (...) {
    }
}

}  // namespace tarnvel
