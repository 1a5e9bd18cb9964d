# The Win32 bindings of the core, and (when its sources are present) the
# program itself.
add_library(tarnvel_win32 STATIC
    sysexit/shutdown_request_win32.cpp
    ui/picture_region_win32.cpp
)
target_link_libraries(tarnvel_win32 PUBLIC tarnvel_core)
target_compile_definitions(tarnvel_win32 PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0500 WINVER=0x0500)
target_link_libraries(tarnvel_win32 PUBLIC advapi32 user32 gdi32)
