#include "countdown/time_fields.h"

#include <gtest/gtest.h>

namespace tarnvel {
namespace {

TEST(FilterKeyPress, PassesDigitsAndBackspaceOnly) {
    for (int c = '0'; c <= '9'; ++c)
        EXPECT_EQ(FilterKeyPress(c), c);
    EXPECT_EQ(FilterKeyPress(8), 8);
    for (int c : std::initializer_list<int>{'a', '.', '-', ' ', 22 /* Ctrl+V */, 27 /* Escape */, 3 /* Ctrl+C */, 13, 0xFF10 /* full-width 0 */})
        EXPECT_EQ(FilterKeyPress(c), 0) << c;
}

struct LeavingCase {
    int field;
    const char* before;
    const char* after;
    bool message;
};

void PrintTo(const LeavingCase& c, std::ostream* out) {
    *out << "field" << c.field << "[" << c.before << "]";
}

class NormaliseOnLeavingTest : public ::testing::TestWithParam<LeavingCase> {};

TEST_P(NormaliseOnLeavingTest, SettlesTheText) {
    const LeavingCase& c = GetParam();
    const LeavingResult result = NormaliseOnLeaving(c.field, c.before);
    EXPECT_EQ(result.text, c.after);
    EXPECT_EQ(result.showLimitMessage, c.message);
}

INSTANTIATE_TEST_SUITE_P(Fields,
                         NormaliseOnLeavingTest,
                         ::testing::Values(LeavingCase{0, "", "00", false},
                                           LeavingCase{1, "5", "05", false},
                                           LeavingCase{2, "7", "07", false},
                                           LeavingCase{1, "60", "59", true},
                                           LeavingCase{2, "99", "59", true},
                                           LeavingCase{2, "59", "59", false},
                                           LeavingCase{1, "", "00", false},
                                           LeavingCase{0, "75", "75", false},
                                           LeavingCase{0, "99", "99", false},
                                           LeavingCase{0, "9", "09", false},
                                           LeavingCase{2, "6", "06", false}));

TEST(IsAcceptablePaste, TakesOnlyDigits) {
    EXPECT_TRUE(IsAcceptablePaste("12"));
    EXPECT_TRUE(IsAcceptablePaste("7"));
    EXPECT_FALSE(IsAcceptablePaste("1a"));
    EXPECT_FALSE(IsAcceptablePaste(" 1"));
    EXPECT_FALSE(IsAcceptablePaste("-1"));
    EXPECT_FALSE(IsAcceptablePaste("1.5"));
    EXPECT_FALSE(IsAcceptablePaste("\xef\xbc\x91"));  // a full-width digit
}

}  // namespace
}  // namespace tarnvel
