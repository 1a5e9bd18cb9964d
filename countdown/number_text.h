#pragma once
// Field texts read as numbers. The program never leaves the
// "C" locale, so the count behaves the same with every compiler and runtime.

#include <cstdint>
#include <string>

namespace tarnvel {

// Converts a whole field text to a double, as a text-to-number conversion of
// the locale does: blanks around the number, an optional sign, digits with an
// optional decimal separator and exponent. Anything else, the empty text
// included, throws RuntimeFailure(TypeMismatch).
double TextToDouble(const std::string& text, char decimalSeparator = '.');

}  // namespace tarnvel
