# Orvelle for 32-bit ARM Linux with hardware floating point (Debian's armhf: ARMv7 with VFPv3-D16, the
# Raspberry Pi 2 and later with a 32-bit system), with Debian's crossbuild-essential-armhf and its tests run
# under qemu-arm.
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(ORVELLE_TRIPLET arm-linux-gnueabihf)
set(ORVELLE_DEBIAN_ARCH armhf)
set(ORVELLE_QEMU qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/debian-multiarch.cmake)
