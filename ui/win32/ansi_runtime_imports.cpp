// The static C runtime and the exception unwinder linked into the 32-bit
// program call three Unicode functions of kernel32 (GetModuleHandleW,
// LoadLibraryW, CreateSemaphoreW), which Windows 95/98/Me export only as
// stubs that fail. This file gives the linker the import pointers that the
// runtime calls them through, pointing at versions built on the ANSI
// functions instead, so that the runtime works the same on every Windows.
// Only the 32-bit build links it: the 64-bit program needs the NT family.
#include <windows.h>

namespace {

// The name in the ANSI code page; false when it does not fit or convert.
bool NarrowName(LPCWSTR name, char (&narrow)[MAX_PATH]) {
    return ::WideCharToMultiByte(CP_ACP, 0, name, -1, narrow, MAX_PATH, nullptr, nullptr) != 0;
}

HMODULE WINAPI GetModuleHandleThroughAnsi(LPCWSTR name) {
    char narrow[MAX_PATH];
    if (!name)
        return ::GetModuleHandleA(nullptr);
    return NarrowName(name, narrow) ? ::GetModuleHandleA(narrow) : nullptr;
}

HMODULE WINAPI LoadLibraryThroughAnsi(LPCWSTR name) {
    char narrow[MAX_PATH];
    return name && NarrowName(name, narrow) ? ::LoadLibraryA(narrow) : nullptr;
}

HANDLE WINAPI CreateSemaphoreThroughAnsi(LPSECURITY_ATTRIBUTES security, LONG initial, LONG maximum, LPCWSTR name) {
    char narrow[MAX_PATH];
    if (!name)
        return ::CreateSemaphoreA(security, initial, maximum, nullptr);
    return NarrowName(name, narrow) ? ::CreateSemaphoreA(security, initial, maximum, narrow) : nullptr;
}

}  // namespace

extern "C" {
HMODULE(WINAPI* tarnvelGetModuleHandleW)(LPCWSTR) __asm__("__imp__GetModuleHandleW@4") = &GetModuleHandleThroughAnsi;
HMODULE(WINAPI* tarnvelLoadLibraryW)(LPCWSTR) __asm__("__imp__LoadLibraryW@4") = &LoadLibraryThroughAnsi;
HANDLE(WINAPI* tarnvelCreateSemaphoreW)
(LPSECURITY_ATTRIBUTES, LONG, LONG, LPCWSTR) __asm__("__imp__CreateSemaphoreW@16") = &CreateSemaphoreThroughAnsi;
}
