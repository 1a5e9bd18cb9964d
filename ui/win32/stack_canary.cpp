// The stack canary that the compiler's stack protection checks before a
// function with a buffer returns, and what a failed check does. GCC's own
// runtime for it seeds the canary through CryptoAPI, which loads three
// cryptographic libraries at every start of the program; this seeds it from
// the clocks, the process and thread ids and the stack's and image's
// addresses, as the system compilers' own runtimes seed theirs, without
// loading anything. Built without stack protection itself: the seeding
// changes the canary under its own feet.
#include <windows.h>

#include "ui/win32/stack_canary.h"

extern "C" {

// Until the seeding runs: a zero byte, a newline and 0xFF, the bytes that end
// the string functions' and the line readers' copies.
std::uintptr_t __stack_chk_guard = 0xFF0A00;

// A stack buffer was overrun: nothing on the stack can be trusted, so the
// process ends at once, with the code Windows gives this failure.
[[noreturn]] void __stack_chk_fail() {
    constexpr UINT kStackBufferOverrun = 0xC0000409u;
    ::TerminateProcess(::GetCurrentProcess(), kStackBufferOverrun);
    __builtin_trap();
}

extern IMAGE_DOS_HEADER __ImageBase;
}

namespace {

// Runs before main and before the static objects are made.
__attribute__((constructor(101))) void SeedStackCanary() {
    tarnvel::CanarySeeds seeds;
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    seeds.systemTime = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    LARGE_INTEGER counter{};
    if (::QueryPerformanceCounter(&counter))
        seeds.performanceCounter = static_cast<std::uint64_t>(counter.QuadPart);
    seeds.tickCount = ::GetTickCount();
    seeds.processId = ::GetCurrentProcessId();
    seeds.threadId = ::GetCurrentThreadId();
    seeds.stackAddress = reinterpret_cast<std::uintptr_t>(&seeds);
    seeds.imageAddress = reinterpret_cast<std::uintptr_t>(&__ImageBase);
    __stack_chk_guard = tarnvel::StackCanaryFrom(seeds);
}

}  // namespace
