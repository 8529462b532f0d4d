# Cross-building for 64-bit Windows from Linux with MinGW-w64 (Debian: g++-mingw-w64-x86-64-posix, mingw-w64).
# Used by scripts/build-windows.sh; the programs are linked statically, so they need no MinGW DLLs, and run
# under Wine when it is installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELLUM_MINGW_TRIPLE x86_64-w64-mingw32)

# The POSIX thread model: the standard library's threads and mutexes need it.
set(CMAKE_C_COMPILER ${VELLUM_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELLUM_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELLUM_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELLUM_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Lets ctest run the Windows programs under Wine.
find_program(VELLUM_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(VELLUM_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VELLUM_WINE})
endif()

