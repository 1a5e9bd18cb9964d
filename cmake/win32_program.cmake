# The Win32 bindings of the core and the program itself.
enable_language(RC)

# The windows use the ANSI entry points, the only ones Windows 95/98/Me
# implement: no UNICODE here. The program has one thread, so local statics
# need no guard.
add_library(tarnvel_win32 STATIC
    sysexit/shutdown_request_win32.cpp
    ui/about_window.cpp
    ui/application.cpp
    ui/controls/drawn_label.cpp
    ui/controls/label_control.cpp
    ui/controls/owner_drawn_button.cpp
    ui/controls/picture_box.cpp
    ui/controls/picture_frame.cpp
    ui/controls/time_field.cpp
    ui/controls/window_drag.cpp
    ui/main_window.cpp
    ui/notice_window.cpp
    ui/options_window.cpp
    ui/pictures/gif_picture.cpp
    ui/pictures/memory_image.cpp
    ui/pictures/ole_picture.cpp
    ui/pictures/picture_region_win32.cpp
    ui/win32/accessible_object.cpp
    ui/win32/ansi_text.cpp
    ui/win32/display_dpi.cpp
    ui/win32/fallible_calls.cpp
    ui/win32/fonts.cpp
    ui/win32/high_contrast.cpp
    ui/win32/message_box.cpp
    ui/win32/ole_runtime.cpp
    ui/win32/runtime_error_report.cpp
    ui/win32/system_functions.cpp
    ui/win32/window_base.cpp
    ui/win32/window_geometry.cpp
    ui/win32/windows_failure.cpp
)
target_link_libraries(tarnvel_win32 PUBLIC tarnvel_core advapi32 user32 gdi32 uuid)
target_compile_definitions(tarnvel_win32 PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX
    _WIN32_WINNT=0x0500 WINVER=0x0500 _WIN32_IE=0x0500)
target_compile_options(tarnvel_win32 PUBLIC -fno-threadsafe-statics)

add_executable(tarnvel WIN32
    ui/main.cpp
    ui/tarnvel.rc
)
target_link_libraries(tarnvel PRIVATE tarnvel_win32 comctl32)
set_source_files_properties(ui/tarnvel.rc PROPERTIES OBJECT_DEPENDS
    "${CMAKE_SOURCE_DIR}/res/skin.gif;${CMAKE_SOURCE_DIR}/res/close.gif;${CMAKE_SOURCE_DIR}/res/skin-200.gif;${CMAKE_SOURCE_DIR}/res/close-200.gif;${CMAKE_SOURCE_DIR}/res/about.jpg;${CMAKE_SOURCE_DIR}/res/tarnvel.ico;${CMAKE_SOURCE_DIR}/ui/tarnvel.manifest;${CMAKE_SOURCE_DIR}/ui/resource.h")
target_include_directories(tarnvel PRIVATE ${CMAKE_SOURCE_DIR})
# The version resource takes the project's version.
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR} -DTARNVEL_VERSION=${PROJECT_VERSION}\
 -DTARNVEL_VERSION_MAJOR=${PROJECT_VERSION_MAJOR} -DTARNVEL_VERSION_MINOR=${PROJECT_VERSION_MINOR}")
# Address-space randomisation and no-execute data, asked for explicitly rather
# than left to the linker's defaults (binutils 2.36 and later turn them on,
# older ones do not). With them ld keeps the .reloc section that the loader
# needs to move the image. tests/pe/check_hardening.py verifies the result.
target_link_options(tarnvel PRIVATE -Wl,--dynamicbase,--nxcompat)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    target_sources(tarnvel PRIVATE ui/win32/ansi_runtime_imports.cpp)
    # Windows 98 loads only images that ask for subsystem 4.0 or lower;
    # Windows 2000 and later load those too. tests/pe/check_imports.py checks it.
    target_link_options(tarnvel PRIVATE -Wl,--subsystem,windows:4.0)
else()
    # 64-bit randomisation over the whole address space, not just the low 4 GB.
    target_link_options(tarnvel PRIVATE -Wl,--high-entropy-va)
endif()
