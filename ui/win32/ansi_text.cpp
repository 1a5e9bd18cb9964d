#include "ui/win32/ansi_text.h"

#include <windows.h>

#include <vector>

namespace tarnvel {

std::optional<std::string> ToAnsi(const std::wstring& text) {
    if (text.empty())
        return std::string();
    const int wideLength = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::nullopt;
    std::string ansi(static_cast<std::size_t>(size), '\0');
    BOOL usedDefault = FALSE;
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), wideLength, ansi.data(), size, nullptr, &usedDefault);
    if (usedDefault)
        return std::nullopt;
    // A best-fit stand-in converts without the default character: only a
    // text that converts back to itself went over as it stands.
    std::vector<wchar_t> back(text.size() + 1);
    const int backLength = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, back.data(), wideLength + 1);
    if (backLength != wideLength || std::wstring(back.data(), static_cast<std::size_t>(backLength)) != text)
        return std::nullopt;
    return ansi;
}

std::string ToAnsiWithStandIns(const std::wstring& text) {
    std::string ansi;
    for (wchar_t c : text) {
        if (const auto exact = ToAnsi(std::wstring(1, c)))
            ansi += *exact;
        else
            ansi += c == kFullWidthColon ? ':' : '?';
    }
    return ansi;
}

}  // namespace tarnvel
