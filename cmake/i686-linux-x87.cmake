# The show and the render tool for 32-bit Linux with the code generation of the 32-bit Windows build (the
# i486's instructions, x87), linked statically and run under qemu-user, which stops with SIGILL on any
# instruction the emulated processor lacks. It proves on any machine, even one that refuses 32-bit code, that
# the 32-bit Windows build's arithmetic draws the native build's frames: orvelle-render-bare, which needs no
# C library, runs as an i486 (the native build's render_native_equals_x87). The unit tests run as a
# Pentium II: they link Debian's C library, which is built for the i686.
#
# The compiler is Debian's cross compiler for i686 (g++-i686-linux-gnu), not the native one with -m32:
# Debian's multilib packages conflict with every cross compiler, the ARM ones included, and this one
# installs beside them. It is the same GCC, and it finds the i386 libraries of Debian's multiarch.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_FLAGS_INIT "-fno-pie")
set(CMAKE_C_FLAGS_INIT "-fno-pie")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-no-pie")
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
# Programs are linked statically, so that qemu-user runs them without any 32-bit library installed; only
# the frame benchmark, which measures this build where the machine runs 32-bit code, links Debian's shared
# Google Benchmark for i386 (libbenchmark-dev:i386) when it is installed.
set(ORVELLE_LINK_STATIC ON)
find_program(ORVELLE_QEMU_I386 qemu-i386-static REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${ORVELLE_QEMU_I386} -cpu pentium2)
set(ORVELLE_NM i686-linux-gnu-nm)
