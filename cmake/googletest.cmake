# GoogleTest: the system's library for native builds; for cross builds it is
# compiled from the sources Debian ships with libgtest-dev, so that the tests
# run with the target's compiler and C runtime.
if(CMAKE_CROSSCOMPILING)
    set(TARNVEL_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest sources for cross builds")
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    # GoogleTest's own sources are not held to this project's warning flags.
    add_subdirectory(${TARNVEL_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    if(TARGET gtest AND NOT TARGET GTest::gtest)
        add_library(GTest::gtest ALIAS gtest)
        add_library(GTest::gtest_main ALIAS gtest_main)
    endif()
    foreach(target gtest gtest_main)
        target_compile_options(${target} PRIVATE -Wno-error)
        # The win32 thread model of MinGW has no std::mutex, which only
        # GoogleTest's thread-start helper (unused here) is built on.
        target_compile_options(${target} PUBLIC -include ${CMAKE_CURRENT_LIST_DIR}/gtest_win32_notification.h)
    endforeach()
else()
    find_package(GTest REQUIRED)
endif()
include(GoogleTest)
