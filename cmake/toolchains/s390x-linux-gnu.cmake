# Cross-builds for IBM Z (s390x) Linux with Debian's g++-s390x-linux-gnu and
# runs what it builds under qemu-s390x (qemu-user): the big-endian host with a
# 64-bit long the library is tested on.
#
#     cmake -G Ninja -B build/s390x \
#       -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/s390x-linux-gnu.cmake

set(CMAKE_SYSTEM_PROCESSOR s390x)
set(VEXLO_CROSS_TRIPLE s390x-linux-gnu)
set(VEXLO_CROSS_QEMU qemu-s390x)
include("${CMAKE_CURRENT_LIST_DIR}/LinuxQemu.cmake")
