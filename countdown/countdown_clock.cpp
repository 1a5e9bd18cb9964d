#include "countdown/countdown_clock.h"

#include <cfenv>
#include <cmath>
#include <limits>

#include "countdown/number_text.h"
#include "countdown/runtime_failure.h"

namespace tarnvel {
namespace {

constexpr char kZero[] = "00";

// Each floating-point step of the load is checked on its own, as the
// arithmetic of the count must never carry an infinity or a NaN onward.
double Checked(double value) {
    if (!std::isfinite(value))
        throw RuntimeFailure(RuntimeFailureKind::Overflow);
    return value;
}

// Round to nearest, ties to even, into a signed 32-bit integer.
std::int32_t RoundToInt32(double value) {
    const int savedMode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(savedMode);
    if (rounded < std::numeric_limits<std::int32_t>::min() || rounded > std::numeric_limits<std::int32_t>::max())
        throw RuntimeFailure(RuntimeFailureKind::Overflow);
    return static_cast<std::int32_t>(rounded);
}

std::int32_t TruncatedQuotient(std::int32_t value, double divisor) {
    return static_cast<std::int32_t>(std::trunc(static_cast<double>(value) / divisor));
}

}  // namespace

std::string FormatTwoDigits(std::int32_t value) {
    const std::int64_t wide = value;
    std::string digits = std::to_string(wide < 0 ? -wide : wide);
    if (digits.size() < 2)
        digits.insert(digits.begin(), '0');
    return wide < 0 ? "-" + digits : digits;
}

void CountdownClock::LoadFromFields(const FieldTexts& fields) {
    const std::string minutesText = fields.Text(kMinutes);
    const std::string secondsText = fields.Text(kSeconds);
    const std::string hoursText = fields.Text(kHours);
    const double minutes = TextToDouble(minutesText);
    const double seconds = TextToDouble(secondsText);
    const double hours = TextToDouble(hoursText);

    const double m = Checked(minutes * 60.0);
    const double t = Checked(Checked(hours * 3600.0) + m);
    const double total = Checked(seconds + t);
    mlngRemainSec = RoundToInt32(total);
}

bool CountdownClock::Tick(FieldTexts& fields) {
    // A count never goes below zero: one loaded at zero or less (which the
    // fields' rules keep from happening) is over at its first event.
    mlngRemainSec = mlngRemainSec > 0 ? mlngRemainSec - 1 : 0;

    fields.SetText(kSeconds, FormatTwoDigits(mlngRemainSec % 60));
    fields.SetText(kMinutes, FormatTwoDigits(TruncatedQuotient(mlngRemainSec, 60.0) % 60));
    fields.SetText(kHours, FormatTwoDigits(TruncatedQuotient(mlngRemainSec, 3600.0)));

    return fields.Text(kSeconds) == kZero && fields.Text(kMinutes) == kZero && fields.Text(kHours) == kZero;
}

}  // namespace tarnvel
