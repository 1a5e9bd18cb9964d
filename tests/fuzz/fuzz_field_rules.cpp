// Fuzzes the input rules of the time fields: which keys a field takes, how
// it settles its text when the focus leaves it, and which pastes it accepts.
//
// Input: the first byte picks the field (hours, minutes, seconds); the rest is
// both a raw field text and a run of key codes typed into an empty field.

#include <cstddef>
#include <cstdint>
#include <string>

#include "countdown/field_texts.h"
#include "countdown/time_fields.h"
#include "fuzz_support.h"

namespace tarnvel::fuzz {
namespace {

bool TakesKey(int code) {
    return (code >= '0' && code <= '9') || code == 8;
}

void CheckKeyFilter(int code) {
    const int result = FilterKeyPress(code);
    FUZZ_REQUIRE(result == (TakesKey(code) ? code : 0),
                 "key " + std::to_string(code) + " gave " + std::to_string(result));
}

// What the field holds when it is left without the limit: empty becomes
// "00", one character gets a leading "0", longer texts stay.
std::string Padded(const std::string& text) {
    if (text.empty())
        return kZeroFieldText;
    if (text.size() == 1)
        return "0" + text;
    return text;
}

void CheckLeaving(int index, const std::string& text) {
    const bool limited = index == kMinutes || index == kSeconds;
    const LeavingResult result = NormaliseOnLeaving(index, text);
    const std::string context = "field " + std::to_string(index) + ", text " + Quoted(text) + " -> " +
                                Quoted(result.text) + (result.showLimitMessage ? " with" : " without") + " the message";

    const bool above = limited && LeadingDigitsAbove59(Padded(text));
    FUZZ_REQUIRE(result.showLimitMessage == above, context);
    FUZZ_REQUIRE(result.text == (above ? std::string("59") : Padded(text)), context);
    FUZZ_REQUIRE(result.text.size() >= 2, context);

    if (AllDigits(text)) {
        // A digits-only text stays digits; minutes and seconds end at 59 or below.
        FUZZ_REQUIRE(AllDigits(result.text), context);
        if (limited)
            FUZZ_REQUIRE(!LeadingDigitsAbove59(result.text), context);
        if (text.size() < 2)
            FUZZ_REQUIRE(result.text.size() == 2 && result.text.back() == (text.empty() ? '0' : text[0]), context);
    }

    // Leaving the field again changes nothing and shows no message.
    const LeavingResult again = NormaliseOnLeaving(index, result.text);
    FUZZ_REQUIRE(again.text == result.text && !again.showLimitMessage, context + "; again " + Quoted(again.text));

    // Start skips exactly the fields the rule would leave as they are (among
    // texts of at most two digits, the only kind a field can hold).
    if (AllDigits(text) && text.size() <= 2) {
        const bool untouched = result.text == text && !result.showLimitMessage;
        FUZZ_REQUIRE(IsSettledFieldText(index, text) == untouched, context + "; settled misjudged");
        FUZZ_REQUIRE(IsSettledFieldText(index, result.text), context + "; result not settled");
    }
}

// Types the key codes into an empty field that holds at most two characters,
// as the edit control does with the key filter in front of it, then leaves it.
void CheckTypedField(int index, const std::string& keys) {
    std::string field;
    for (unsigned char key : keys) {
        const int taken = FilterKeyPress(key);
        if (taken == 8) {
            if (!field.empty())
                field.pop_back();
        } else if (taken != 0 && field.size() < static_cast<std::size_t>(kFieldMaxLength)) {
            field += static_cast<char>(taken);
        }
    }
    FUZZ_REQUIRE(AllDigits(field) && field.size() <= 2, "typed " + Quoted(field));
    FUZZ_REQUIRE(IsAcceptablePaste(field), "typed " + Quoted(field) + " is refused as a paste");

    const LeavingResult result = NormaliseOnLeaving(index, field);
    const std::string context =
        "field " + std::to_string(index) + ", typed " + Quoted(field) + " -> " + Quoted(result.text);
    FUZZ_REQUIRE(result.text.size() == 2 && AllDigits(result.text), context);
    if (index == kMinutes || index == kSeconds)
        FUZZ_REQUIRE(result.text <= std::string("59"), context);
    else
        FUZZ_REQUIRE(!result.showLimitMessage, context);
}

void CheckPaste(const std::string& text) {
    FUZZ_REQUIRE(IsAcceptablePaste(text) == AllDigits(text), Quoted(text));
}

}  // namespace
}  // namespace tarnvel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnvel::fuzz;
    if (size == 0)
        return 0;
    const int index = data[0] % tarnvel::kFieldCount;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    for (std::size_t i = 1; i < size; ++i) {
        CheckKeyFilter(data[i]);
        if (i + 1 < size)  // wider and negative codes too
            CheckKeyFilter(static_cast<std::int16_t>(data[i] | (data[i + 1] << 8)));
    }
    CheckLeaving(index, text);
    CheckTypedField(index, text);
    CheckPaste(text);
    return 0;
}
