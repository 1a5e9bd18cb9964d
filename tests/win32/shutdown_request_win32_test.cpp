// The privilege procedure over the real Win32 calls. Failure boxes are
// captured instead of shown, so the test runs unattended.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "sysexit/shutdown_request_win32.h"

namespace tarnvel {
namespace {

class CapturingWin32Api : public PrivilegeApi {
public:
    void SetLastError(std::uint32_t code) override { real_.SetLastError(code); }
    std::uint32_t GetLastError() override { return real_.GetLastError(); }
    OsHandle GetCurrentProcess() override { return processOverride ? processOverride : real_.GetCurrentProcess(); }
    bool OpenProcessToken(OsHandle process, std::uint32_t access, OsHandle& token) override {
        return real_.OpenProcessToken(process, access, token);
    }
    bool LookupPrivilegeValueA(const char* systemName, const char* name, PrivilegeLuid& luid) override {
        const bool ok = real_.LookupPrivilegeValueA(systemName, name, luid);
        lookedUp = luid;
        return ok;
    }
    bool AdjustTokenPrivileges(OsHandle token, const PrivilegeLuid& luid) override {
        return real_.AdjustTokenPrivileges(token, luid);
    }
    void CloseHandle(OsHandle handle) override {
        closed.push_back(handle);
        real_.CloseHandle(handle);
    }
    void ShowFailure(const std::string& prompt) override { boxes.push_back(prompt); }

    OsHandle processOverride = 0;
    PrivilegeLuid lookedUp;
    std::vector<OsHandle> closed;
    std::vector<std::string> boxes;

private:
    Win32PrivilegeApi real_{[](const std::string&) {}};
};

bool ShutdownPrivilegeEnabled() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    LUID luid{};
    ::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &luid);
    PRIVILEGE_SET query{1, PRIVILEGE_SET_ALL_NECESSARY, {{luid, 0}}};
    BOOL enabled = FALSE;
    ::PrivilegeCheck(token, &query, &enabled);
    ::CloseHandle(token);
    return enabled != FALSE;
}

TEST(EnableShutdownPrivilegeWin32, EnablesThePrivilegeAndClosesTheToken) {
    CapturingWin32Api api;
    EnableShutdownPrivilege(api);
    EXPECT_TRUE(api.boxes.empty()) << api.boxes.front();
    EXPECT_EQ(api.lookedUp.lowPart, 19u) << "the LUID of SeShutdownPrivilege";
    ASSERT_EQ(api.closed.size(), 1u);
    EXPECT_NE(api.closed[0], 0u);
    EXPECT_TRUE(ShutdownPrivilegeEnabled());
}

TEST(EnableShutdownPrivilegeWin32, ABadProcessHandleReportsTheTokenStepAndTheAdjustment) {
    CapturingWin32Api api;
    api.processOverride = 0x12345678;  // no such handle
    EnableShutdownPrivilege(api);
    ASSERT_EQ(api.boxes.size(), 2u);
    EXPECT_EQ(api.boxes[0], "OpenProcessToken error==6");
    EXPECT_EQ(api.boxes[1], "AdjustTokenPrivileges error==6");
    EXPECT_TRUE(api.closed.empty());
}

TEST(OsFamilyWin32, VersionValueMatchesTheVersionInfo) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(::GetVersionExA(&info));
    const bool nt = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
    EXPECT_EQ((QueryWindowsVersion() & 0x80000000u) == 0, nt);
}

}  // namespace
}  // namespace tarnvel
