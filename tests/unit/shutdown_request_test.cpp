#include "sysexit/shutdown_request.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "sysexit/exit_mode.h"
#include "sysexit/os_family.h"

namespace tarnvel {
namespace {

// A thread's last-error code and the four calls, each of which leaves the
// code that the test gives it (or leaves it untouched when given none).
class FakePrivilegeApi : public PrivilegeApi {
public:
    void SetLastError(std::uint32_t code) override {
        lastError = code;
        calls.push_back("SetLastError(" + std::to_string(code) + ")");
    }
    std::uint32_t GetLastError() override { return lastError; }
    OsHandle GetCurrentProcess() override {
        Leave("GetCurrentProcess");
        return kProcess;
    }
    bool OpenProcessToken(OsHandle process, std::uint32_t access, OsHandle& token) override {
        EXPECT_EQ(process, kProcess);
        EXPECT_EQ(access, 0x28u);
        const bool ok = Leave("OpenProcessToken");
        token = ok ? kToken : 0;
        return ok;
    }
    bool LookupPrivilegeValueA(const char* systemName, const char* name, PrivilegeLuid& luid) override {
        EXPECT_NE(systemName, nullptr);
        EXPECT_STREQ(systemName, "");
        EXPECT_STREQ(name, "SeShutdownPrivilege");
        luid.lowPart = 19;
        return Leave("LookupPrivilegeValueA");
    }
    bool AdjustTokenPrivileges(OsHandle token, const PrivilegeLuid& luid) override {
        adjustedToken = token;
        EXPECT_EQ(luid.lowPart, 19u);
        // The adjustment writes the code itself, even when it succeeds.
        const bool ok = Leave("AdjustTokenPrivileges");
        if (!codes.count("AdjustTokenPrivileges"))
            lastError = 0;
        return ok;
    }
    void CloseHandle(OsHandle handle) override { calls.push_back("CloseHandle(" + std::to_string(handle) + ")"); }
    void ShowFailure(const std::string& prompt) override { boxes.push_back(prompt); }

    static constexpr OsHandle kProcess = 0xFFFF;
    static constexpr OsHandle kToken = 0x44;
    std::map<std::string, std::uint32_t> codes;  // what each call leaves
    std::uint32_t lastError = 0;
    OsHandle adjustedToken = 1;
    std::vector<std::string> calls;
    std::vector<std::string> boxes;

private:
    bool Leave(const std::string& call) {
        calls.push_back(call);
        const auto found = codes.find(call);
        if (found == codes.end())
            return true;
        lastError = found->second;
        return found->second == 0 || found->second == 1300;
    }
};

TEST(EnableShutdownPrivilege, AllStepsSucceedingShowNothingAndCloseTheToken) {
    FakePrivilegeApi api;
    EnableShutdownPrivilege(api);
    EXPECT_TRUE(api.boxes.empty());
    EXPECT_EQ(api.calls,
              (std::vector<std::string>{"SetLastError(0)", "GetCurrentProcess", "SetLastError(0)", "OpenProcessToken",
                                        "SetLastError(0)", "LookupPrivilegeValueA", "SetLastError(0)",
                                        "AdjustTokenPrivileges", "CloseHandle(68)"}));
    EXPECT_EQ(api.adjustedToken, FakePrivilegeApi::kToken);
}

TEST(EnableShutdownPrivilege, TokenWithoutThePrivilegeReports1300Once) {
    FakePrivilegeApi api;
    api.codes["AdjustTokenPrivileges"] = 1300;
    EnableShutdownPrivilege(api);
    EXPECT_EQ(api.boxes, (std::vector<std::string>{"AdjustTokenPrivileges error==1300"}));
}

TEST(EnableShutdownPrivilege, EachStepIsReportedOnlyForItsOwnFailure) {
    FakePrivilegeApi api;
    api.codes["OpenProcessToken"] = 5;          // the lookup leaves the code alone
    api.codes["AdjustTokenPrivileges"] = 6;     // invalid handle: the token is null
    EnableShutdownPrivilege(api);
    EXPECT_EQ(api.boxes,
              (std::vector<std::string>{"OpenProcessToken error==5", "AdjustTokenPrivileges error==6"}));
    EXPECT_EQ(api.adjustedToken, 0u) << "the null token is still handed on";
    EXPECT_EQ(api.calls.back(), "AdjustTokenPrivileges") << "no token to close";
}

TEST(EnableShutdownPrivilege, CarriesOnAfterEveryFailureWithTheExactTexts) {
    FakePrivilegeApi api;
    api.codes = {{"GetCurrentProcess", 1}, {"OpenProcessToken", 5}, {"LookupPrivilegeValueA", 1313},
                 {"AdjustTokenPrivileges", 0x80000005u}};
    EnableShutdownPrivilege(api);
    EXPECT_EQ(api.boxes,
              (std::vector<std::string>{"GetCurrentProcess error==1", "OpenProcessToken error==5",
                                        "LookupPrivilegeValue error==1313", "AdjustTokenPrivileges error==-2147483643"}));
}

TEST(SessionEndFlags, AddTheForceFlagToEachMode) {
    EXPECT_EQ(SessionEndFlags(kExitLogOff), 4u);
    EXPECT_EQ(SessionEndFlags(kExitShutdown), 5u);
    EXPECT_EQ(SessionEndFlags(kExitReboot), 6u);
    EXPECT_EQ(SessionEndFlags(kExitPowerOff), 12u);
}

TEST(OsFamily, OnlyBit31Counts) {
    EXPECT_EQ(WhichWindows32FromVersion(0xC0000A04u), 0);  // Windows 98
    EXPECT_EQ(WhichWindows32FromVersion(0x80000000u), 0);
    EXPECT_EQ(WhichWindows32FromVersion(0x0A280105u), 1);  // XP
    EXPECT_EQ(WhichWindows32FromVersion(0x7FFFFFFFu), 1);
    EXPECT_EQ(WhichWindows32FromVersion(0u), 1);
}

}  // namespace
}  // namespace tarnvel
