# Orvelle for 64-bit ARM Linux (Debian's arm64: the Raspberry Pi 3, 4 and 5 with a 64-bit system, ARM laptops
# and servers), with Debian's crossbuild-essential-arm64 and its tests run under qemu-aarch64.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(ORVELLE_TRIPLET aarch64-linux-gnu)
set(ORVELLE_DEBIAN_ARCH arm64)
set(ORVELLE_QEMU qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/debian-multiarch.cmake)
