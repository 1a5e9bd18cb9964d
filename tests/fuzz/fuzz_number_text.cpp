// Fuzzes the conversions between field texts and numbers.
//
// Input: the first byte picks the decimal separator ('.' or ','); the rest is
// the text. Its first four bytes are also read as a number for
// FormatTwoDigits.
//
// TextToDouble is compared with a regular expression of the number forms it
// takes and with strtod of the same number written in the C locale's form;
// LeadingNumber with the digits read by hand; FormatTwoDigits with printf and
// with TextToDouble, which must read its output back exactly.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>

#include "countdown/countdown_clock.h"
#include "countdown/number_text.h"
#include "countdown/runtime_failure.h"
#include "countdown/time_fields.h"
#include "fuzz_support.h"

namespace tarnvel::fuzz {
namespace {

// Longer texts only slow the backtracking regular expression down.
constexpr std::size_t kRegexLimit = 200;

const std::regex& NumberForm(char separator) {
    static const std::regex point(R"(^[ \t]*[+-]?([0-9]+(\.[0-9]*)?|\.[0-9]+)([eE][+-]?[0-9]+)?[ \t]*$)");
    static const std::regex comma(R"(^[ \t]*[+-]?([0-9]+(,[0-9]*)?|,[0-9]+)([eE][+-]?[0-9]+)?[ \t]*$)");
    return separator == ',' ? comma : point;
}

// The number without blanks and with '.' as separator, for strtod.
std::string CLocaleForm(const std::string& text, char separator) {
    std::string out;
    for (char c : text) {
        if (c == ' ' || c == '\t')
            continue;
        out += c == separator ? '.' : c;
    }
    return out;
}

void CheckTextToDouble(const std::string& text, char separator) {
    const std::string context = Quoted(text) + " with separator '" + separator + "'";
    bool converted = false;
    double value = 0.0;
    try {
        value = TextToDouble(text, separator);
        converted = true;
    } catch (const RuntimeFailure& failure) {
        FUZZ_REQUIRE(failure.kind() == RuntimeFailureKind::TypeMismatch, context + ": " + failure.what());
    }
    FUZZ_REQUIRE(!std::isnan(value), context);
    if (text.size() > kRegexLimit)
        return;
    const bool numeric = std::regex_match(text.begin(), text.end(), NumberForm(separator));
    FUZZ_REQUIRE(converted == numeric, context + (converted ? " was converted" : " was refused"));
    if (!converted)
        return;
    const std::string plain = CLocaleForm(text, separator);
    const double expected = std::strtod(plain.c_str(), nullptr);
    FUZZ_REQUIRE(
        value == expected && std::signbit(value) == std::signbit(expected),
        context + ": " + std::to_string(value) + " but strtod(" + Quoted(plain) + ") is " + std::to_string(expected));
}

void CheckLeadingNumber(const std::string& text) {
    const double value = LeadingNumber(text);
    const std::string context = Quoted(text) + " -> " + std::to_string(value);
    FUZZ_REQUIRE(value >= 0.0 && !std::isnan(value), context);

    const std::string digits = SignificantLeadingDigits(text);
    if (digits.size() <= 15) {  // exact in a double
        const std::uint64_t exact = digits.empty() ? 0 : std::strtoull(digits.c_str(), nullptr, 10);
        FUZZ_REQUIRE(value == static_cast<double>(exact), context + ", expected " + std::to_string(exact));
    } else {
        FUZZ_REQUIRE(value >= 1e15, context);
    }
}

void CheckFormatTwoDigits(std::int32_t number) {
    const std::string text = FormatTwoDigits(number);
    const std::string context = std::to_string(number) + " -> " + Quoted(text);
    FUZZ_REQUIRE(text == ZeroPadded(number), context + ", expected " + ZeroPadded(number));
    double back = 0.0;
    try {
        back = TextToDouble(text);
    } catch (const RuntimeFailure&) {
        FUZZ_REQUIRE(false, context + " is not read back");
    }
    FUZZ_REQUIRE(back == static_cast<double>(number), context + " reads back as " + std::to_string(back));
}

}  // namespace
}  // namespace tarnvel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnvel::fuzz;
    if (size == 0)
        return 0;
    const char separator = (data[0] & 1) ? ',' : '.';
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    CheckTextToDouble(text, separator);
    CheckLeadingNumber(text);

    std::int32_t number = 0;
    std::memcpy(&number, text.data(), text.size() < sizeof number ? text.size() : sizeof number);
    CheckFormatTwoDigits(number);
    return 0;
}
