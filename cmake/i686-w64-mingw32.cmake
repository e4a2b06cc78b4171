# Cross compiling for 32-bit Windows with Debian's mingw-w64; everything is linked statically, so no DLL of
# the toolchain is needed at run time.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ORVELLE_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
