# Cross-builds for 64-bit ARM Linux with Debian's g++-aarch64-linux-gnu and
# runs what it builds under qemu-aarch64 (qemu-user): little-endian, with an
# unsigned plain char, and without the x86-64 vector code.
#
#     cmake -G Ninja -B build/aarch64 \
#       -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/aarch64-linux-gnu.cmake

set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(VEXLO_CROSS_TRIPLE aarch64-linux-gnu)
set(VEXLO_CROSS_QEMU qemu-aarch64)
include("${CMAKE_CURRENT_LIST_DIR}/LinuxQemu.cmake")
