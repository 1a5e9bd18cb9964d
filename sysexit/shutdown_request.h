#pragma once
// Ending the session: enabling the shutdown privilege on the process token,
// and the flags of the one forced session-ending request. The Win32 calls of
// the privilege sit behind a small interface so that the procedure runs and
// is tested anywhere.

#include <cstdint>
#include <string>

namespace tarnvel {

using OsHandle = std::uintptr_t;  // a Win32 HANDLE, 0 for none

struct PrivilegeLuid {
    std::uint32_t lowPart = 0;
    std::int32_t highPart = 0;
};

// The Win32 calls the privilege procedure makes, one method each, and the
// message box in which it reports a failed step.
class PrivilegeApi {
public:
    virtual ~PrivilegeApi() = default;
    virtual void SetLastError(std::uint32_t code) = 0;
    virtual std::uint32_t GetLastError() = 0;
    virtual OsHandle GetCurrentProcess() = 0;
    virtual bool OpenProcessToken(OsHandle process, std::uint32_t desiredAccess, OsHandle& token) = 0;
    virtual bool LookupPrivilegeValueA(const char* systemName, const char* name, PrivilegeLuid& luid) = 0;
    // Enables exactly one privilege (count 1, attributes SE_PRIVILEGE_ENABLED)
    // with a 16-byte previous-state buffer.
    virtual bool AdjustTokenPrivileges(OsHandle token, const PrivilegeLuid& luid) = 0;
    virtual void CloseHandle(OsHandle handle) = 0;
    // OK-only box, no icon, titled with the program's name; returns when dismissed.
    virtual void ShowFailure(const std::string& prompt) = 0;
};

constexpr std::uint32_t kTokenAdjustPrivileges = 0x20;
constexpr std::uint32_t kTokenQuery = 0x08;
constexpr char kShutdownPrivilegeName[] = "SeShutdownPrivilege";

// Enables SeShutdownPrivilege. Each step is reported only for its own
// failure ("OpenProcessToken error==5"), and a failed step never stops the
// procedure: the session-ending call is attempted whatever happened here.
void EnableShutdownPrivilege(PrivilegeApi& api);

// The flags of the session-ending call for an exit mode: the mode with
// force added.
std::uint32_t SessionEndFlags(std::int32_t exitMode);

}  // namespace tarnvel
