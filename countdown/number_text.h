#pragma once
// Conversions between field texts and numbers. The program never leaves the
// "C" locale, so the count behaves the same with every compiler and runtime.

#include <cstdint>
#include <string>

namespace tarnvel {

// Converts a whole field text to a double, as a text-to-number conversion of
// the locale does: blanks around the number, an optional sign, digits with an
// optional decimal separator and exponent. Anything else, the empty text
// included, throws RuntimeFailure(TypeMismatch).
double TextToDouble(const std::string& text, char decimalSeparator = '.');

// The leading decimal number of a text (blanks skipped, digits read until the
// first character that is not one); 0 when the text starts with no number.
double LeadingNumber(const std::string& text);

// Formats a whole number with the pattern "0#": at least two digits,
// zero-padded on the left, with a minus sign in front of negative numbers.
std::string FormatTwoDigits(std::int32_t value);

}  // namespace tarnvel
