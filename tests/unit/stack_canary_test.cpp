#include "ui/win32/stack_canary.h"

#include <gtest/gtest.h>

#include <iterator>
#include <set>

namespace tarnvel {
namespace {

CanarySeeds TypicalSeeds() {
    CanarySeeds seeds;
    seeds.systemTime = 0x01DB4A5E12345678u;
    seeds.performanceCounter = 123456789u;
    seeds.tickCount = 4000000u;
    seeds.processId = 0x0F20u;
    seeds.threadId = 0x0F24u;
    seeds.stackAddress = 0x0022FE40u;
    seeds.imageAddress = 0x00400000u;
    return seeds;
}

TEST(StackCanaryTest, LowByteIsZeroAndTheRestNeverIs) {
    for (const CanarySeeds& seeds : {CanarySeeds{}, TypicalSeeds()}) {
        const std::uintptr_t canary = StackCanaryFrom(seeds);
        EXPECT_EQ(canary & 0xFF, 0u);
        EXPECT_NE(canary, 0u);
    }
}

// Two starts differ in a few low bits of one seed at a time (the next tick,
// the next process id): each such change gives another canary, and a change
// to two seeds at once does not cancel out.
TEST(StackCanaryTest, EveryLowBitOfEverySeedChangesTheCanary) {
    using Flip = void (*)(CanarySeeds&, std::uint32_t);
    const Flip flips[] = {
        [](CanarySeeds& s, std::uint32_t f) { s.systemTime ^= f; },
        [](CanarySeeds& s, std::uint32_t f) { s.performanceCounter ^= f; },
        [](CanarySeeds& s, std::uint32_t f) { s.tickCount ^= f; },
        [](CanarySeeds& s, std::uint32_t f) { s.processId ^= f; },
        [](CanarySeeds& s, std::uint32_t f) { s.threadId ^= f; },
        [](CanarySeeds& s, std::uint32_t f) { s.stackAddress ^= f; },
        [](CanarySeeds& s, std::uint32_t f) { s.imageAddress ^= f; },
        [](CanarySeeds& s, std::uint32_t f) { s.processId ^= f, s.threadId ^= f; },
    };
    std::set<std::uintptr_t> canaries{StackCanaryFrom(TypicalSeeds())};
    for (const Flip flip : flips) {
        for (int bit = 0; bit < 16; ++bit) {
            CanarySeeds seeds = TypicalSeeds();
            flip(seeds, 1u << bit);
            canaries.insert(StackCanaryFrom(seeds));
        }
    }
    EXPECT_EQ(canaries.size(), 1u + 16u * std::size(flips));
}

}  // namespace
}  // namespace tarnvel
