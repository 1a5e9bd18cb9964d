#pragma once
// The calls whose failure the program reports in words rather than meets as
// a crash: making windows, reading its embedded resources, starting the
// timer, and the message box that does the reporting; and the system
// setting a test cannot change under Wine (high contrast). The program
// reaches them through this one table, which a test can point at
// stand-ins; the program itself never changes it.

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace tarnvel {

struct ResourceBytes {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

// The bytes of one of the program's RT_RCDATA resources; empty when missing.
ResourceBytes ReadEmbeddedResource(int resourceId);

struct FallibleCalls {
    decltype(&::CreateWindowExA) createWindowEx = &::CreateWindowExA;
    decltype(&::SetTimer) setTimer = &::SetTimer;
    decltype(&::MessageBoxA) messageBox = &::MessageBoxA;
    decltype(&ReadEmbeddedResource) readResource = &ReadEmbeddedResource;
    decltype(&::SystemParametersInfoA) systemParametersInfo = &::SystemParametersInfoA;
};

FallibleCalls& Win32Calls();

}  // namespace tarnvel
