# Shared settings of the MinGW-w64 cross builds. The including toolchain file
# sets TARNVEL_MINGW_TRIPLE first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${TARNVEL_MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${TARNVEL_MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER ${TARNVEL_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TARNVEL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Every executable carries its runtime: no DLLs of ours or of the compiler's.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Functions nothing calls are left out of the executables.
set(CMAKE_CXX_FLAGS_INIT "-ffunction-sections -fdata-sections")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s -Wl,--gc-sections")
# Test executables run under Wine, through the loader this machine can run
# for the architecture; the caller provides WINEPREFIX.
get_filename_component(TARNVEL_WINE_LOADERS "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine_loaders.py" ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR python3 "${TARNVEL_WINE_LOADERS}" run ${CMAKE_SYSTEM_PROCESSOR})
