#pragma once
// Shared by the fuzz targets: a check that ends the run with a message (so
// that libFuzzer keeps the input that broke it), and readings of field texts
// made without the core's own helpers, to compare the core against.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tarnvel::fuzz {

// Arbitrary bytes in a printable, quoted form for failure messages.
inline std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        }
    }
    return out + "\"";
}

[[noreturn]] inline void Broken(const char* file, int line, const char* condition, const std::string& detail) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n    %s\n", file, line, condition, detail.c_str());
    std::abort();
}

#define FUZZ_REQUIRE(condition, detail)                                        \
    do {                                                                       \
        if (!(condition))                                                      \
            ::tarnvel::fuzz::Broken(__FILE__, __LINE__, #condition, (detail)); \
    } while (0)

inline bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

inline bool AllDigits(const std::string& text) {
    for (char c : text)
        if (!IsAsciiDigit(c))
            return false;
    return true;
}

// The "0#" pattern written out by hand: a minus sign for negative numbers,
// then the magnitude with at least two digits.
inline std::string ZeroPadded(std::int64_t value) {
    char buffer[32];
    const unsigned long long magnitude =
        value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    std::snprintf(buffer, sizeof buffer, "%s%02llu", value < 0 ? "-" : "", magnitude);
    return buffer;
}

// The run of decimal digits at the start of a text (after spaces and tabs),
// without its leading zeros.
inline std::string SignificantLeadingDigits(const std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    std::size_t end = pos;
    while (end < text.size() && IsAsciiDigit(text[end]))
        ++end;
    while (pos < end && text[pos] == '0')
        ++pos;
    return text.substr(pos, end - pos);
}

// Whether that run stands for a number above 59, compared as digit strings
// so that runs of any length are read exactly.
inline bool LeadingDigitsAbove59(const std::string& text) {
    const std::string significant = SignificantLeadingDigits(text);
    return significant.size() != 2 ? significant.size() > 2 : significant > "59";
}

}  // namespace tarnvel::fuzz
