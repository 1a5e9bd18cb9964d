#include "countdown/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "countdown/countdown_clock.h"
#include "countdown/runtime_failure.h"
#include "countdown/time_fields.h"

namespace tarnvel {
namespace {

bool IsTypeMismatch(const std::string& text) {
    try {
        TextToDouble(text);
    } catch (const RuntimeFailure& failure) {
        return failure.kind() == RuntimeFailureKind::TypeMismatch;
    }
    return false;
}

TEST(TextToDouble, AcceptsNumbersWithBlanksSignsFractionsAndExponents) {
    EXPECT_EQ(TextToDouble("07"), 7.0);
    EXPECT_EQ(TextToDouble("  42 "), 42.0);
    EXPECT_EQ(TextToDouble("-3"), -3.0);
    EXPECT_EQ(TextToDouble("+3"), 3.0);
    EXPECT_EQ(TextToDouble("2.5"), 2.5);
    EXPECT_EQ(TextToDouble(".5"), 0.5);
    EXPECT_EQ(TextToDouble("1e3"), 1000.0);
    EXPECT_EQ(TextToDouble("2,5", ','), 2.5);
}

TEST(TextToDouble, NumbersBeyondADoubleBecomeInfinityOrZero) {
    EXPECT_EQ(TextToDouble("1e309"), HUGE_VAL);
    EXPECT_EQ(TextToDouble("-1e309"), -HUGE_VAL);
    EXPECT_EQ(TextToDouble("0.001e312"), HUGE_VAL);
    EXPECT_EQ(TextToDouble("1e-400"), 0.0);
    EXPECT_EQ(TextToDouble("1000e-330"), 0.0);
    EXPECT_EQ(TextToDouble("0." + std::string(400, '0') + "1"), 0.0);
    EXPECT_EQ(TextToDouble(std::string(400, '9')), HUGE_VAL);
    EXPECT_EQ(TextToDouble("1e99999999999999999999"), HUGE_VAL);
    EXPECT_EQ(TextToDouble("1e-99999999999999999999"), 0.0);
}

TEST(TextToDouble, RejectsEverythingElse) {
    for (const char* text : {"", " ", "a", "1a", "--1", ".", "1e", "1e+", "0x10", "1 2", "2,5", "\xef\xbc\x91"})
        EXPECT_TRUE(IsTypeMismatch(text)) << '"' << text << '"';
}

TEST(LeadingNumber, ReadsDigitsUpToTheFirstOtherCharacter) {
    EXPECT_EQ(LeadingNumber("60"), 60.0);
    EXPECT_EQ(LeadingNumber(" 9x"), 9.0);
    EXPECT_EQ(LeadingNumber("x9"), 0.0);
    EXPECT_EQ(LeadingNumber(""), 0.0);
}

TEST(FormatTwoDigits, PadsToTwoDigitsAndKeepsTheSign) {
    EXPECT_EQ(FormatTwoDigits(0), "00");
    EXPECT_EQ(FormatTwoDigits(7), "07");
    EXPECT_EQ(FormatTwoDigits(59), "59");
    EXPECT_EQ(FormatTwoDigits(70), "70");
    EXPECT_EQ(FormatTwoDigits(596523), "596523");
    EXPECT_EQ(FormatTwoDigits(-5), "-05");
    EXPECT_EQ(FormatTwoDigits(-2147483647 - 1), "-2147483648");
}

}  // namespace
}  // namespace tarnvel
