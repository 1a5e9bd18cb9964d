#pragma once
// The exit mode: what Windows is asked to do when the count runs out. Its
// values are the action codes of the session-ending call, handed over with
// only the force bit added. One value for the whole program, kept in memory.

#include <cstdint>

namespace tarnvel {

enum ExitModeValue : std::int32_t {
    kExitLogOff = 0,
    kExitShutdown = 1,
    kExitReboot = 2,
    kExitPowerOff = 8,
};

constexpr std::int32_t kExitForceFlag = 4;
constexpr std::uint32_t kExitReserved = 0xFFFFFFFFu;

// 0 at program start; the main window's start-up sets the default, power off.
extern std::int32_t glngExitMode;

}  // namespace tarnvel
