#pragma once

#include <cstdint>

namespace tarnvel {

// What a process can read about itself at its start that another run of it
// cannot foresee: the clocks, its ids and where its stack and image lie.
struct CanarySeeds {
    std::uint64_t systemTime = 0;
    std::uint64_t performanceCounter = 0;
    std::uint32_t tickCount = 0;
    std::uint32_t processId = 0;
    std::uint32_t threadId = 0;
    std::uintptr_t stackAddress = 0;
    std::uintptr_t imageAddress = 0;
};

// The stack canary made from the seeds. Every seed bit reaches every bit of
// it; its lowest byte is zero, so that a string copied over a canary ends
// there and a string read past a buffer does not show the rest of it.
constexpr std::uintptr_t StackCanaryFrom(const CanarySeeds& seeds) {
    // Each seed goes through the finaliser of splitmix64 on top of the
    // previous ones, so no two seeds cancel as they would by XOR alone.
    const std::uint64_t parts[] = {seeds.systemTime, seeds.performanceCounter, seeds.tickCount,
                                   seeds.processId,  seeds.threadId,           seeds.stackAddress,
                                   seeds.imageAddress};
    std::uint64_t state = 0x9E3779B97F4A7C15u;
    for (const std::uint64_t part : parts) {
        state = (state ^ part) + 0x9E3779B97F4A7C15u;
        state = (state ^ (state >> 30)) * 0xBF58476D1CE4E5B9u;
        state = (state ^ (state >> 27)) * 0x94D049BB133111EBu;
        state ^= state >> 31;
    }
    // The high half folded in, for 32-bit canaries.
    std::uintptr_t canary = static_cast<std::uintptr_t>(state ^ (state >> 32));
    canary &= ~static_cast<std::uintptr_t>(0xFF);
    // Never the zero canary, which an overwrite with zeros would match.
    return canary != 0 ? canary : static_cast<std::uintptr_t>(0x5A00);
}

}  // namespace tarnvel
