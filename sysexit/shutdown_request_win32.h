#pragma once
// The real Win32 calls behind the privilege procedure, and the session end.

#include <windows.h>

#include <functional>
#include <string>

#include "sysexit/shutdown_request.h"

namespace tarnvel {

class Win32PrivilegeApi final : public PrivilegeApi {
public:
    // showFailure puts up the box of a failed step and returns once it is closed.
    explicit Win32PrivilegeApi(std::function<void(const std::string&)> showFailure);

    void SetLastError(std::uint32_t code) override;
    std::uint32_t GetLastError() override;
    OsHandle GetCurrentProcess() override;
    bool OpenProcessToken(OsHandle process, std::uint32_t desiredAccess, OsHandle& token) override;
    bool LookupPrivilegeValueA(const char* systemName, const char* name, PrivilegeLuid& luid) override;
    bool AdjustTokenPrivileges(OsHandle token, const PrivilegeLuid& luid) override;
    void CloseHandle(OsHandle handle) override;
    void ShowFailure(const std::string& prompt) override;

private:
    std::function<void(const std::string&)> showFailure_;
};

// One forced session-ending request with the exit mode. Its result is not
// examined: when Windows refuses, the program simply stays idle.
void RequestSessionEnd(std::int32_t exitMode);

// The version value whose bit 31 tells the OS family.
std::uint32_t QueryWindowsVersion();

}  // namespace tarnvel
