#include "countdown/time_fields.h"

#include <algorithm>

#include "countdown/field_texts.h"

namespace tarnvel {
namespace {

constexpr int kBackspace = 8;
constexpr double kLimit = 59.0;
constexpr char kLimitText[] = "59";

bool IsDigitCode(int code) {
    return code >= '0' && code <= '9';
}

}  // namespace

double LeadingNumber(const std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    double value = 0.0;
    for (; pos < text.size() && IsDigitCode(static_cast<unsigned char>(text[pos])); ++pos)
        value = value * 10.0 + (text[pos] - '0');
    return value;
}

int FilterKeyPress(int keyCode) {
    return IsDigitCode(keyCode) || keyCode == kBackspace ? keyCode : 0;
}

LeavingResult NormaliseOnLeaving(int fieldIndex, const std::string& text) {
    LeavingResult result{text, false};
    if (result.text.empty())
        result.text = kZeroFieldText;
    if (result.text.size() == 1)
        result.text = "0" + result.text;
    if ((fieldIndex == kMinutes || fieldIndex == kSeconds) && LeadingNumber(result.text) > kLimit) {
        result.showLimitMessage = true;
        result.text = kLimitText;
    }
    return result;
}

bool IsSettledFieldText(int fieldIndex, const std::string& text) {
    if (text.size() != 2 || !IsDigitCode(static_cast<unsigned char>(text[0])) ||
        !IsDigitCode(static_cast<unsigned char>(text[1])))
        return false;
    return fieldIndex == kHours || (text[0] - '0') * 10 + (text[1] - '0') <= kLimit;
}

bool IsAcceptablePaste(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return IsDigitCode(static_cast<unsigned char>(c)); });
}

}  // namespace tarnvel
