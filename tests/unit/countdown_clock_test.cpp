#include "countdown/countdown_clock.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <string>
#include <vector>

#include "countdown/runtime_failure.h"
#include "fake_fields.h"

namespace tarnvel {
namespace {

using testing::FakeFields;
using Texts = std::array<std::string, 3>;

std::int32_t Loaded(const std::string& h, const std::string& m, const std::string& s) {
    FakeFields fields(h, m, s);
    CountdownClock clock;
    clock.LoadFromFields(fields);
    return clock.RemainingSeconds();
}

RuntimeFailureKind LoadFailure(const std::string& h, const std::string& m, const std::string& s) {
    try {
        Loaded(h, m, s);
    } catch (const RuntimeFailure& failure) {
        return failure.kind();
    }
    ADD_FAILURE() << "no failure for " << h << ":" << m << ":" << s;
    return RuntimeFailureKind::TypeMismatch;
}

TEST(CountdownClockLoad, AddsHoursMinutesAndSeconds) {
    EXPECT_EQ(Loaded("00", "00", "01"), 1);
    EXPECT_EQ(Loaded("00", "01", "00"), 60);
    EXPECT_EQ(Loaded("01", "00", "00"), 3600);
    EXPECT_EQ(Loaded("99", "59", "59"), 99 * 3600 + 59 * 60 + 59);
    EXPECT_EQ(Loaded(" 7", "5 ", "0"), 7 * 3600 + 5 * 60);
}

TEST(CountdownClockLoad, ReadsMinutesThenSecondsThenHours) {
    FakeFields fields("01", "02", "03");
    CountdownClock clock;
    clock.LoadFromFields(fields);
    EXPECT_EQ(fields.reads, (std::vector<int>{1, 2, 0}));
    EXPECT_TRUE(fields.writes.empty());
}

TEST(CountdownClockLoad, NonNumericTextIsTypeMismatch) {
    EXPECT_EQ(LoadFailure("ab", "00", "00"), RuntimeFailureKind::TypeMismatch);
    EXPECT_EQ(LoadFailure("00", "0x", "00"), RuntimeFailureKind::TypeMismatch);
    EXPECT_EQ(LoadFailure("00", "00", "5-"), RuntimeFailureKind::TypeMismatch);
    EXPECT_EQ(LoadFailure("00", "00", ""), RuntimeFailureKind::TypeMismatch);
}

TEST(CountdownClockLoad, OverflowsAreReportedNotWrapped) {
    // 600000 hours is beyond 2^31 seconds; a huge exponent overflows the double.
    EXPECT_EQ(LoadFailure("600000", "00", "00"), RuntimeFailureKind::Overflow);
    EXPECT_EQ(LoadFailure("1e308", "00", "00"), RuntimeFailureKind::Overflow);
    EXPECT_EQ(LoadFailure("00", "00", "1e309"), RuntimeFailureKind::Overflow);
    EXPECT_EQ(Loaded("00", "00", "2147483647"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(LoadFailure("00", "00", "2147483648"), RuntimeFailureKind::Overflow);
}

TEST(CountdownClockLoad, RoundsHalvesToEven) {
    EXPECT_EQ(Loaded("0", "0", "2.5"), 2);
    EXPECT_EQ(Loaded("0", "0", "3.5"), 4);
    EXPECT_EQ(Loaded("0", "0", "2147483646.5"), 2147483646);
    EXPECT_EQ(LoadFailure("0", "0", "2147483647.5"), RuntimeFailureKind::Overflow);
}

struct TickCase {
    Texts start;
    Texts afterFirstTick;
    bool expired;
};

void PrintTo(const TickCase& c, std::ostream* out) {
    *out << c.start[0] << ":" << c.start[1] << ":" << c.start[2];
}

class CountdownClockTick : public ::testing::TestWithParam<TickCase> {};

TEST_P(CountdownClockTick, FirstTickRewritesTheFields) {
    const TickCase& c = GetParam();
    FakeFields fields(c.start[0], c.start[1], c.start[2]);
    CountdownClock clock;
    clock.LoadFromFields(fields);
    EXPECT_EQ(clock.Tick(fields), c.expired);
    EXPECT_EQ(fields.Shown(), c.afterFirstTick);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples,
    CountdownClockTick,
    ::testing::Values(TickCase{{"00", "00", "01"}, {"00", "00", "00"}, true},
                      TickCase{{"00", "01", "00"}, {"00", "00", "59"}, false},
                      TickCase{{"01", "00", "00"}, {"00", "59", "59"}, false},
                      TickCase{{"99", "59", "59"}, {"99", "59", "58"}, false},
                      TickCase{{"70", "00", "00"}, {"69", "59", "59"}, false},
                      TickCase{{"00", "10", "05"}, {"00", "10", "04"}, false}));

TEST(CountdownClockTickOrder, WritesSecondsMinutesHoursThenReadsThemBack) {
    FakeFields fields("00", "00", "03");
    CountdownClock clock;
    clock.LoadFromFields(fields);
    fields.reads.clear();
    clock.Tick(fields);
    EXPECT_EQ(fields.writes, (std::vector<int>{2, 1, 0}));
    EXPECT_EQ(fields.reads, (std::vector<int>{2}));  // "02" is not "00": no further comparison
}

TEST(CountdownClockTickOrder, SeventyHoursExpireOnlyAtZero) {
    FakeFields fields("70", "00", "00");
    CountdownClock clock;
    clock.LoadFromFields(fields);
    int ticks = 0;
    while (!clock.Tick(fields))
        ++ticks;
    EXPECT_EQ(ticks + 1, 70 * 3600);
    EXPECT_EQ(fields.Shown(), (Texts{"00", "00", "00"}));
    EXPECT_EQ(clock.RemainingSeconds(), 0);
}

TEST(CountdownClockTickOrder, HoursAreNotWrapped) {
    // A count loaded beyond 99 hours still shows all of its hours.
    FakeFields fields("150", "00", "01");
    CountdownClock clock;
    clock.LoadFromFields(fields);
    clock.Tick(fields);
    EXPECT_EQ(fields.Shown(), (Texts{"150", "00", "00"}));
}

TEST(CountdownClockTickOrder, PauseEditAndReloadCountsFromTheEdit) {
    FakeFields fields("00", "59", "59");
    CountdownClock clock;
    clock.LoadFromFields(fields);
    for (int i = 0; i < 10; ++i)
        EXPECT_FALSE(clock.Tick(fields));
    EXPECT_EQ(fields.Shown(), (Texts{"00", "59", "49"}));
    fields.Set("00", "00", "05");
    clock.LoadFromFields(fields);
    EXPECT_EQ(clock.RemainingSeconds(), 5);
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(clock.Tick(fields));
    EXPECT_TRUE(clock.Tick(fields));
}

TEST(CountdownClockTickOrder, CountAtOrBelowZeroShowsZeroAndExpires) {
    FakeFields fields("00", "00", "00");
    CountdownClock clock;  // starts at 0
    EXPECT_TRUE(clock.Tick(fields));
    EXPECT_EQ(fields.Shown(), (Texts{"00", "00", "00"}));
    fields.Set("00", "00", "-2147483648");
    clock.LoadFromFields(fields);
    EXPECT_TRUE(clock.Tick(fields));
    EXPECT_EQ(fields.Shown(), (Texts{"00", "00", "00"}));
    EXPECT_EQ(clock.RemainingSeconds(), 0);
}

}  // namespace
}  // namespace tarnvel
