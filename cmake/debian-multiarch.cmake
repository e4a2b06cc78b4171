# What the Linux builds for another processor share (cmake/aarch64-linux-gnu.cmake,
# cmake/arm-linux-gnueabihf.cmake, cmake/i686-linux-gnu.cmake): Debian's cross compiler for ORVELLE_TRIPLET, the
# target's libraries and pkg-config files from Debian multiarch (libx11-dev:ARCH and the rest, beside the
# machine's own, in the folders of ORVELLE_MULTIARCH, which is the compiler's triplet but for i386), and
# qemu-user to run the target's programs. The same sources and options as the native build; the show uses its
# plain routines there (no fast path is written for these processors) or, on 32-bit x86, those of the x87.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${ORVELLE_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${ORVELLE_TRIPLET}-g++)
if(NOT ORVELLE_MULTIARCH)
  set(ORVELLE_MULTIARCH ${ORVELLE_TRIPLET})
endif()
# Libraries of the target only: find_library and pkg-config look in its multiarch folders (and the headers
# and protocol descriptions every architecture shares), never in the machine's own.
set(CMAKE_LIBRARY_ARCHITECTURE ${ORVELLE_MULTIARCH})
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${ORVELLE_MULTIARCH}/pkgconfig:/usr/share/pkgconfig)
# The package is named for Debian's architecture, and its dependencies are read from the target's libraries.
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${ORVELLE_DEBIAN_ARCH})
# CTest runs the target's programs under qemu-user, with the target's shared libraries from Debian's cross
# folder (/usr/TRIPLET, of libc6-ARCH-cross) rather than through a binfmt_misc registration, unless the toolchain
# file found that this machine runs them itself (ORVELLE_RUNS_NATIVELY). Without qemu-user the tests that run
# them are skipped (77), saying why.
find_program(ORVELLE_QEMU_${ORVELLE_DEBIAN_ARCH} ${ORVELLE_QEMU}-static)
if(ORVELLE_RUNS_NATIVELY)
  unset(CMAKE_CROSSCOMPILING_EMULATOR)
elseif(ORVELLE_QEMU_${ORVELLE_DEBIAN_ARCH})
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ORVELLE_QEMU_${ORVELLE_DEBIAN_ARCH}} -L /usr/${ORVELLE_TRIPLET})
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR sh -c "echo '${ORVELLE_QEMU}-static not found (Debian: qemu-user-static): \
the ${ORVELLE_DEBIAN_ARCH} programs cannot run here' && exit 77" --)
endif()
set(ORVELLE_NM ${ORVELLE_TRIPLET}-nm)
# The hosts (x11/, wayland/) and the Debian package are built as natively.
set(ORVELLE_LINUX_HOSTS ON)
