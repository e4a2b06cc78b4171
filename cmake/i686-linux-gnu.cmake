# Orvelle for 32-bit PC Linux (Debian's i386: the Pentium Pro and later, the old PCs that run Debian's 32-bit
# release), with Debian's cross compiler for the i686 (g++-i686-linux-gnu: cmake/i686-linux-x87.cmake says why
# not g++-multilib) and the i386 libraries of multiarch. The code generation is the 32-bit Windows build's
# (the i486's instructions and the x87, as for every 32-bit x86 build: CMakeLists.txt), whose frames the
# linux-x87 build proves. Its tests run natively where this machine executes 32-bit x86 code
# (scripts/runs-32-bit), else under qemu-i386.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ORVELLE_TRIPLET i686-linux-gnu)
set(ORVELLE_MULTIARCH i386-linux-gnu)
set(ORVELLE_DEBIAN_ARCH i386)
set(ORVELLE_QEMU qemu-i386)
execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/../scripts/runs-32-bit RESULT_VARIABLE status OUTPUT_QUIET
  ERROR_QUIET)
if(status EQUAL 0)
  set(ORVELLE_RUNS_NATIVELY ON)
endif()
include(${CMAKE_CURRENT_LIST_DIR}/debian-multiarch.cmake)
