# Included by the Linux cross toolchain files (s390x-linux-gnu.cmake,
# aarch64-linux-gnu.cmake), which set before including it:
#   VEXLO_CROSS_TRIPLE   the GNU triple, e.g. s390x-linux-gnu
#   VEXLO_CROSS_QEMU     the qemu-user program that runs the target's code
#
# Compiles with Debian's cross compiler (g++-<triple>) against the target's C
# library in /usr/<triple> (libc6-dev-<arch>-cross, a dependency of the
# compiler), and runs what it builds under qemu-user with that tree as the
# root for the dynamic loader and its libraries. CTest, gtest_discover_tests
# and try_run all go through the emulator.

set(CMAKE_SYSTEM_NAME Linux)

set(CMAKE_C_COMPILER ${VEXLO_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${VEXLO_CROSS_TRIPLE}-g++)

# Libraries, headers and packages come from the target's tree only; the
# build's own tools come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${VEXLO_CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Boost: the host's headers, and nothing else from /usr/include.
include("${CMAKE_CURRENT_LIST_DIR}/HostBoostHeaders.cmake")

find_program(VEXLO_QEMU_PROGRAM ${VEXLO_CROSS_QEMU})
if(NOT VEXLO_QEMU_PROGRAM)
  message(FATAL_ERROR "${VEXLO_CROSS_QEMU} not found (Debian: apt-get install qemu-user)")
endif()
# -L: the loader and the shared libraries the program names by absolute path
# (ld64.so.1, libc.so.6, libstdc++.so.6, ...) are looked up under the target's
# tree first; the build tree's own libraries are found through their RPATH.
set(CMAKE_CROSSCOMPILING_EMULATOR "${VEXLO_QEMU_PROGRAM};-L;/usr/${VEXLO_CROSS_TRIPLE}")
