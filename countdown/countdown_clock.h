#pragma once
// The remaining-seconds counter: loaded from the three field texts, and
// taken down by one second per timer event, rewriting the fields each time.
// It never reads the system clock: one event is one second of the count.

#include <cstdint>
#include <string>

#include "countdown/field_texts.h"

namespace tarnvel {

// Formats a whole number with the pattern "0#", as the fields show it: at
// least two digits, zero-padded on the left, with a minus sign in front of
// negative numbers.
std::string FormatTwoDigits(std::int32_t value);

class CountdownClock {
public:
    // Reads minutes, seconds, then hours, and sets the counter to
    // hours * 3600 + minutes * 60 + seconds. Throws RuntimeFailure.
    void LoadFromFields(const FieldTexts& fields);

    // Takes one second off (none below zero), writes seconds, minutes and
    // hours back, and returns whether the three fields now read "00".
    bool Tick(FieldTexts& fields);

    std::int32_t RemainingSeconds() const noexcept { return mlngRemainSec; }

private:
    std::int32_t mlngRemainSec = 0;
};

}  // namespace tarnvel
