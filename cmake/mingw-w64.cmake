# What both Windows toolchain files share: Debian's mingw-w64 for the triple in ORVELLE_MINGW_TRIPLE, the
# posix thread model (GoogleTest needs std::mutex, which GCC 12's win32 model lacks), libraries and headers
# from the target's own root, and Wine as the way to run what is built.
set(CMAKE_SYSTEM_NAME Windows)

find_program(ORVELLE_MINGW_CXX NAMES ${ORVELLE_MINGW_TRIPLE}-g++-posix ${ORVELLE_MINGW_TRIPLE}-g++ REQUIRED)
find_program(ORVELLE_MINGW_CC NAMES ${ORVELLE_MINGW_TRIPLE}-gcc-posix ${ORVELLE_MINGW_TRIPLE}-gcc REQUIRED)
set(CMAKE_CXX_COMPILER ${ORVELLE_MINGW_CXX})
set(CMAKE_C_COMPILER ${ORVELLE_MINGW_CC})
set(CMAKE_RC_COMPILER ${ORVELLE_MINGW_TRIPLE}-windres)
# The binary tools of the same triple, for the tests that read the executables.
set(ORVELLE_OBJDUMP ${ORVELLE_MINGW_TRIPLE}-objdump)
set(ORVELLE_NM ${ORVELLE_MINGW_TRIPLE}-nm)

set(CMAKE_FIND_ROOT_PATH /usr/${ORVELLE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Programs built for Windows run under Wine in the project's own prefix; wine-run picks the 32- or 64-bit
# one from the program's own header.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
