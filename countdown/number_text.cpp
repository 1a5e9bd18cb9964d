#include "countdown/number_text.h"

#include <cstdlib>

#include "countdown/runtime_failure.h"

namespace tarnvel {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
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
    // strtod do the correctly rounded conversion.
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

    // The program never leaves the "C" locale, so strtod reads '.' here. Beyond
    // a double's range it gives infinity (then reported as an overflow by the
    // arithmetic that uses it) or zero.
    const double magnitude = std::strtod(plain.c_str(), nullptr);
    return negative ? -magnitude : magnitude;
}

}  // namespace tarnvel
