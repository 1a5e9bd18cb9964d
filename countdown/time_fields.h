#pragma once
// Input rules of the three time fields: which keys they take, how they
// settle their text when the user leaves them, and which pastes they accept.

#include <string>

namespace tarnvel {

constexpr int kFieldMaxLength = 2;
constexpr char kZeroFieldText[] = "00";
constexpr char kConfirmTitle[] = "Confirm";
constexpr char kLimitMessage[] = "Please fill sec / min blank less than 59";

// The leading decimal number of a text (blanks skipped, digits read until the
// first character that is not one); 0 when the text starts with no number.
double LeadingNumber(const std::string& text);

// Returns the key code unchanged for the digits 0 to 9 and backspace (8),
// and 0, which discards the key, for every other character code.
int FilterKeyPress(int keyCode);

struct LeavingResult {
    std::string text;         // what the field holds once it is left
    bool showLimitMessage;    // the "less than 59" message must be shown first
};

// Normalises a field's text when the focus leaves it: empty becomes "00",
// one character gets a leading "0", and minutes and seconds above 59 are
// reported and become "59". Hours have no limit but their two characters.
LeavingResult NormaliseOnLeaving(int fieldIndex, const std::string& text);

// Whether a field's text is what the leave rule makes of anything: two
// digits, at most 59 for minutes and seconds. The rule changes nothing else.
bool IsSettledFieldText(int fieldIndex, const std::string& text);

// A paste is taken only when every character of it is a digit, so that a
// field never holds anything else, whichever way text arrives.
bool IsAcceptablePaste(const std::string& text);

}  // namespace tarnvel
