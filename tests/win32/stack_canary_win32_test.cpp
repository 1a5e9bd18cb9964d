// The program's own stack protection: the canary is seeded before main, and
// an overrun of a stack buffer ends the process with the overrun's code.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>

extern "C" std::uintptr_t __stack_chk_guard;

namespace {

constexpr std::uintptr_t kUnseededCanary = 0xFF0A00;

__attribute__((noinline)) void OverrunABuffer(const char* bytes, std::size_t count) {
    char buffer[8];
    std::memcpy(buffer, bytes, count);
    asm volatile("" : : "r"(buffer) : "memory");  // the copy is kept
}

TEST(StackCanaryWin32Test, IsSeededBeforeMain) {
    EXPECT_NE(__stack_chk_guard, kUnseededCanary);
    EXPECT_EQ(__stack_chk_guard & 0xFF, 0u);
}

TEST(StackCanaryWin32DeathTest, AnOverrunEndsTheProcessWithItsCode) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const char bytes[64] = {'A'};
    OverrunABuffer(bytes, 8);  // within the buffer: returns
    EXPECT_EXIT(OverrunABuffer(bytes, sizeof bytes), testing::ExitedWithCode(static_cast<int>(0xC0000409u)), "");
}

}  // namespace
