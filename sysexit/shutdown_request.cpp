#include "sysexit/shutdown_request.h"

#include "sysexit/exit_mode.h"

namespace tarnvel {
namespace {

// Reports the step when it left a nonzero last-error code. The code is read
// again for the message, as the check itself may be followed by other calls.
void CheckStep(PrivilegeApi& api, const char* stepText) {
    if (api.GetLastError() == 0)
        return;
    const auto code = static_cast<std::int32_t>(api.GetLastError());
    api.ShowFailure(std::string(stepText) + std::to_string(code));
}

}  // namespace

void EnableShutdownPrivilege(PrivilegeApi& api) {
    // The last-error code is cleared before every step, so that a step is
    // reported only for its own failure and never for an earlier one's code.
    api.SetLastError(0);
    const OsHandle process = api.GetCurrentProcess();
    CheckStep(api, "GetCurrentProcess error==");

    OsHandle token = 0;
    api.SetLastError(0);
    api.OpenProcessToken(process, kTokenAdjustPrivileges | kTokenQuery, token);
    CheckStep(api, "OpenProcessToken error==");

    PrivilegeLuid luid;
    api.SetLastError(0);
    api.LookupPrivilegeValueA("", kShutdownPrivilegeName, luid);
    CheckStep(api, "LookupPrivilegeValue error==");

    // The adjustment sets the code even when it succeeds: 0 when the
    // privilege is now enabled, 1300 when the token does not hold it.
    api.SetLastError(0);
    api.AdjustTokenPrivileges(token, luid);
    CheckStep(api, "AdjustTokenPrivileges error==");

    if (token != 0)
        api.CloseHandle(token);
}

std::uint32_t SessionEndFlags(std::int32_t exitMode) {
    return static_cast<std::uint32_t>(exitMode | kExitForceFlag);
}

}  // namespace tarnvel
