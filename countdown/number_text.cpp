#include "countdown/number_text.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cmath>

#include "countdown/runtime_failure.h"

namespace tarnvel {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The value of a plain number too large or too small for a double: infinity
// (reported as an overflow by the arithmetic that uses it) or zero. Which
// one follows from the decimal order of its first significant digit.
double OutOfRangeMagnitude(const std::string& plain) {
    const std::size_t exponentAt = plain.find('e');
    const std::string mantissa = plain.substr(0, exponentAt);
    // Any exponent beyond a few hundred decides the same way: keep it small.
    const long exponent = exponentAt == std::string::npos
                              ? 0
                              : std::clamp(std::strtol(plain.c_str() + exponentAt + 1, nullptr, 10), -100000L, 100000L);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t firstSignificant = mantissa.find_first_of("123456789");
    if (firstSignificant == std::string::npos)
        return 0.0;
    const long order = firstSignificant < point ? static_cast<long>(point - firstSignificant)
                                                : -static_cast<long>(firstSignificant - point - 1);
    return order + exponent > 0 ? HUGE_VAL : 0.0;
}

}  // namespace

double TextToDouble(const std::string& text, char decimalSeparator) {
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';

    // Collect the number in a plain form with '.' as the separator and let
    // from_chars do the correctly rounded conversion.
    std::string plain;
    std::size_t digits = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos, ++digits)
        plain += text[pos];
    if (pos < text.size() && text[pos] == decimalSeparator) {
        plain += '.';
        for (++pos; pos < text.size() && IsDigit(text[pos]); ++pos, ++digits)
            plain += text[pos];
    }
    if (digits == 0)
        throw RuntimeFailure(RuntimeFailureKind::TypeMismatch);
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        plain += 'e';
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
            plain += text[pos++];
        std::size_t exponentDigits = 0;
        for (; pos < text.size() && IsDigit(text[pos]); ++pos, ++exponentDigits)
            plain += text[pos];
        if (exponentDigits == 0)
            throw RuntimeFailure(RuntimeFailureKind::TypeMismatch);
    }
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    if (pos != text.size())
        throw RuntimeFailure(RuntimeFailureKind::TypeMismatch);

    // from_chars reads the plain form the same way under every C locale.
    double magnitude = 0.0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), magnitude);
    (void)end;
    if (error == std::errc::result_out_of_range)
        magnitude = OutOfRangeMagnitude(plain);
    return negative ? -magnitude : magnitude;
}

double LeadingNumber(const std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    double value = 0.0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos)
        value = value * 10.0 + (text[pos] - '0');
    return value;
}

std::string FormatTwoDigits(std::int32_t value) {
    const std::int64_t wide = value;
    std::string digits = std::to_string(wide < 0 ? -wide : wide);
    if (digits.size() < 2)
        digits.insert(digits.begin(), '0');
    return wide < 0 ? "-" + digits : digits;
}

}  // namespace tarnvel
