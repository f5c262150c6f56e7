# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix threads, for std::thread and Qt).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KORVEX_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KORVEX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KORVEX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KORVEX_MINGW_TRIPLE}-windres)

# Libraries and headers come only from the mingw sysroot and from the prefixes given in CMAKE_PREFIX_PATH
# (the cross-built dependencies), never from the host's /usr; programs run during the build are the
# host's, and CMake packages may also be the host's (Qt's host tools).
set(CMAKE_FIND_ROOT_PATH /usr/${KORVEX_MINGW_TRIPLE} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
# pkg-config must not offer the host's libraries either.
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_LIBDIR} "${CMAKE_PREFIX_PATH}/lib/pkgconfig")

# Run cross-built test programs under Wine.
find_program(KORVEX_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(KORVEX_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KORVEX_WINE64})
endif()
