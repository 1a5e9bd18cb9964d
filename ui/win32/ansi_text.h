#pragma once
// The program's fixed texts are written in Unicode; its windows take them
// in the system's ANSI code page, which is all that Windows 95/98/Me offers.
// A text goes over only when the code page holds every character of it
// exactly (no best-fit stand-ins chosen by the system).

#include <optional>
#include <string>

namespace tarnvel {

// The text in the ANSI code page, or nothing when the code page cannot hold it.
std::optional<std::string> ToAnsi(const std::wstring& text);

// The text in the ANSI code page, with the program's own stand-in for each
// character the code page lacks: an ASCII colon for the full-width colon,
// '?' for anything else.
std::string ToAnsiWithStandIns(const std::wstring& text);

constexpr wchar_t kFullWidthColon = L'\uFF1A';

}  // namespace tarnvel
