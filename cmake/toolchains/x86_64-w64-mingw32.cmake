# Cross-builds the 64-bit Windows DLL with Debian's MinGW-w64 toolchain
# (g++-mingw-w64-x86-64) and runs what it builds under Wine (wine64).
#
#     cmake -G Ninja -B build/win \
#       -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/x86_64-w64-mingw32.cmake
#
# The posix-threads variant of the compiler is used: it is the one whose
# libstdc++ has std::thread and std::mutex (GCC 12's win32 variant has
# neither). Its programs need libwinpthread-1.dll beside libstdc++-6.dll and
# libgcc_s_seh-1.dll at run time; cmake/VexloMinGWRuntime.cmake puts them
# there.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VEXLO_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VEXLO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEXLO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VEXLO_MINGW_TRIPLE}-windres)

# Libraries, headers and packages come from the target's tree only; the
# build's own tools come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${VEXLO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Boost: the host's headers, and nothing else from /usr/include.
include("${CMAKE_CURRENT_LIST_DIR}/HostBoostHeaders.cmake")

# Programs built here run under Wine, each build tree with its own
# throwaway prefix (created on first use). CTest, gtest_discover_tests and
# try_run all go through this.
get_filename_component(_vexlo_wine_runner "${CMAKE_CURRENT_LIST_DIR}/../vexlo-wine.sh" ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_vexlo_wine_runner};${CMAKE_BINARY_DIR}/wineprefix")
unset(_vexlo_wine_runner)
