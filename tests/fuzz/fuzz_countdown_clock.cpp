// Fuzzes the countdown clock: loads it from three arbitrary field texts, then
// runs up to 300 timer events. A RuntimeFailure is an expected outcome for
// bad texts and counts that leave 32 bits; every other outcome is checked:
//   - the load fails with a type mismatch exactly when a text is no number,
//     and otherwise lands within half a second of hours*3600+minutes*60+seconds
//     when that sum is well inside or fails with an overflow when well outside;
//   - each event takes exactly one second off (a count at or below zero
//     becomes zero), writes all three fields with the truncated quotients in
//     the "0#" pattern, and reports expiry exactly when the fields read
//     "00" "00" "00", which is exactly when it is zero;
//   - reloading from the fields just written gives the same count, as a
//     Pause followed by Start does.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "countdown/countdown_clock.h"
#include "countdown/field_texts.h"
#include "countdown/number_text.h"
#include "countdown/runtime_failure.h"
#include "fuzz_support.h"

namespace tarnvel::fuzz {
namespace {

constexpr int kMaxTicks = 300;

class Fields : public FieldTexts {
  public:
    std::string Text(int index) const override { return texts.at(index); }
    void SetText(int index, const std::string& text) override {
        texts.at(index) = text;
        ++writes.at(index);
    }

    std::array<std::string, kFieldCount> texts;
    std::array<int, kFieldCount> writes{};
};

std::string Describe(const Fields& fields) {
    return "h " + Quoted(fields.texts[kHours]) + " m " + Quoted(fields.texts[kMinutes]) + " s " +
           Quoted(fields.texts[kSeconds]);
}

std::optional<double> Number(const std::string& text) {
    try {
        return TextToDouble(text);
    } catch (const RuntimeFailure&) {
        return std::nullopt;
    }
}

// Checks the outcome of a load; returns whether the clock holds a count.
bool CheckLoad(CountdownClock& clock, const Fields& fields) {
    const std::string context = "load of " + Describe(fields);
    std::optional<RuntimeFailureKind> failure;
    try {
        clock.LoadFromFields(fields);
    } catch (const RuntimeFailure& error) {
        failure = error.kind();
    }

    const auto hours = Number(fields.texts[kHours]);
    const auto minutes = Number(fields.texts[kMinutes]);
    const auto seconds = Number(fields.texts[kSeconds]);
    if (!hours || !minutes || !seconds) {
        FUZZ_REQUIRE(failure == RuntimeFailureKind::TypeMismatch, context);
        return false;
    }
    FUZZ_REQUIRE(failure != RuntimeFailureKind::TypeMismatch, context);
    if (!std::isfinite(*hours) || !std::isfinite(*minutes) || !std::isfinite(*seconds)) {
        FUZZ_REQUIRE(failure == RuntimeFailureKind::Overflow, context);
        return false;
    }

    // Where every term is below 2^40 a double carries it with at most a tiny
    // error, so the long double sum is a fair yardstick; bigger terms can
    // cancel in ways that only the same double arithmetic reproduces.
    constexpr long double kSmall = 1099511627776.0L;  // 2^40
    const long double h = static_cast<long double>(*hours) * 3600;
    const long double m = static_cast<long double>(*minutes) * 60;
    const long double s = *seconds;
    if (std::fabs(h) < kSmall && std::fabs(m) < kSmall && std::fabs(s) < kSmall) {
        const long double total = h + m + s;
        const long double limit = 2147483648.0L;  // 2^31
        if (std::fabs(total) <= limit - 2) {
            FUZZ_REQUIRE(!failure, context + " failed for a total of " + std::to_string(static_cast<double>(total)));
            FUZZ_REQUIRE(std::fabs(clock.RemainingSeconds() - total) <= 0.5L + 1e-6L,
                         context + " gave " + std::to_string(clock.RemainingSeconds()) + " for " +
                             std::to_string(static_cast<double>(total)));
        } else if (std::fabs(total) >= limit + 2) {
            FUZZ_REQUIRE(failure == RuntimeFailureKind::Overflow, context);
        }
    }
    return !failure;
}

void CheckTick(CountdownClock& clock, Fields& fields) {
    const std::int32_t before = clock.RemainingSeconds();
    const Fields shown = fields;
    fields.writes = {};

    const bool expired = clock.Tick(fields);
    const std::int64_t now = clock.RemainingSeconds();
    const std::string context = "tick from " + std::to_string(before) + " to " + std::to_string(now) + " after " +
                                Describe(shown) + ": " + Describe(fields) + (expired ? ", expired" : "");
    FUZZ_REQUIRE(now == (before > 0 ? static_cast<std::int64_t>(before) - 1 : 0), context);
    FUZZ_REQUIRE(fields.writes[kHours] > 0 && fields.writes[kMinutes] > 0 && fields.writes[kSeconds] > 0, context);
    FUZZ_REQUIRE(fields.texts[kSeconds] == ZeroPadded(now % 60), context);
    FUZZ_REQUIRE(fields.texts[kMinutes] == ZeroPadded(now / 60 % 60), context);
    FUZZ_REQUIRE(fields.texts[kHours] == ZeroPadded(now / 3600), context);
    const bool allZero =
        fields.texts[kHours] == "00" && fields.texts[kMinutes] == "00" && fields.texts[kSeconds] == "00";
    FUZZ_REQUIRE(expired == allZero, context);
    FUZZ_REQUIRE(expired == (now == 0), context);

    CountdownClock reloaded;
    try {
        reloaded.LoadFromFields(fields);
    } catch (const RuntimeFailure& error) {
        FUZZ_REQUIRE(false, context + ": reloading failed with " + error.what());
    }
    FUZZ_REQUIRE(reloaded.RemainingSeconds() == now,
                 context + ": reloading gave " + std::to_string(reloaded.RemainingSeconds()));
}

}  // namespace
}  // namespace tarnvel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnvel::fuzz;
    FuzzedDataProvider input(data, size);
    const int ticks = input.ConsumeIntegralInRange(0, kMaxTicks);
    Fields fields;
    fields.texts[tarnvel::kHours] = input.ConsumeRandomLengthString(40);
    fields.texts[tarnvel::kMinutes] = input.ConsumeRandomLengthString(40);
    fields.texts[tarnvel::kSeconds] = input.ConsumeRandomLengthString(40);

    tarnvel::CountdownClock clock;
    if (!CheckLoad(clock, fields))
        return 0;
    for (int i = 0; i < ticks; ++i)
        CheckTick(clock, fields);
    return 0;
}
