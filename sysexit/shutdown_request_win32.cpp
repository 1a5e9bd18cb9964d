#include "sysexit/shutdown_request_win32.h"

#include <utility>

#include "sysexit/exit_mode.h"

namespace tarnvel {
namespace {

HANDLE ToHandle(OsHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

Win32PrivilegeApi::Win32PrivilegeApi(std::function<void(const std::string&)> showFailure)
    : showFailure_(std::move(showFailure)) {}

void Win32PrivilegeApi::SetLastError(std::uint32_t code) {
    ::SetLastError(code);
}

std::uint32_t Win32PrivilegeApi::GetLastError() {
    return ::GetLastError();
}

OsHandle Win32PrivilegeApi::GetCurrentProcess() {
    return reinterpret_cast<OsHandle>(::GetCurrentProcess());
}

bool Win32PrivilegeApi::OpenProcessToken(OsHandle process, std::uint32_t desiredAccess, OsHandle& token) {
    HANDLE opened = nullptr;
    const BOOL ok = ::OpenProcessToken(ToHandle(process), desiredAccess, &opened);
    token = reinterpret_cast<OsHandle>(opened);
    return ok != FALSE;
}

bool Win32PrivilegeApi::LookupPrivilegeValueA(const char* systemName, const char* name, PrivilegeLuid& luid) {
    LUID found{};
    const BOOL ok = ::LookupPrivilegeValueA(systemName, name, &found);
    luid.lowPart = found.LowPart;
    luid.highPart = found.HighPart;
    return ok != FALSE;
}

bool Win32PrivilegeApi::AdjustTokenPrivileges(OsHandle token, const PrivilegeLuid& luid) {
    TOKEN_PRIVILEGES wanted{};
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Luid.LowPart = luid.lowPart;
    wanted.Privileges[0].Luid.HighPart = luid.highPart;
    wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    TOKEN_PRIVILEGES previous{};
    DWORD returnLength = 0;
    static_assert(sizeof(TOKEN_PRIVILEGES) == 16, "one privilege entry is 16 bytes");
    return ::AdjustTokenPrivileges(ToHandle(token), FALSE, &wanted, sizeof previous, &previous, &returnLength) != FALSE;
}

void Win32PrivilegeApi::CloseHandle(OsHandle handle) {
    ::CloseHandle(ToHandle(handle));
}

void Win32PrivilegeApi::ShowFailure(const std::string& prompt) {
    showFailure_(prompt);
}

void RequestSessionEnd(std::int32_t exitMode) {
    ::ExitWindowsEx(SessionEndFlags(exitMode), kExitReserved);
}

std::uint32_t QueryWindowsVersion() {
    return ::GetVersion();
}

}  // namespace tarnvel
