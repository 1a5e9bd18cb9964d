#pragma once
// Which family of Windows runs the program, read from the version value:
// bit 31 is set on Windows 95/98/Me and clear on the NT family.

#include <cstdint>

namespace tarnvel {

// 1 on the NT family, 0 on Windows 95/98/Me. No other bit is looked at.
constexpr std::int32_t WhichWindows32FromVersion(std::uint32_t version) {
    return (version & 0x80000000u) == 0 ? 1 : 0;
}

}  // namespace tarnvel
