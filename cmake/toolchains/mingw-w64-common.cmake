# What both mingw-w64 toolchains share; ZARNOVELT_MINGW_TRIPLE names the target.
set(CMAKE_SYSTEM_NAME Windows)
if(ZARNOVELT_MINGW_TRIPLE MATCHES "^i686")
  set(CMAKE_SYSTEM_PROCESSOR x86)
else()
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
endif()

# The -posix compilers: the default (win32 thread model) ones have no std::thread.
set(CMAKE_C_COMPILER ${ZARNOVELT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZARNOVELT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZARNOVELT_MINGW_TRIPLE}-windres)

# Headers and libraries of the target only; programs (windres, the native assetgen) of the host.
set(CMAKE_FIND_ROOT_PATH /usr/${ZARNOVELT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests of a cross build run under Wine of the build's kind (scripts/wine.sh reads it from each
# program); 32-bit ones only on a machine that executes 32-bit code, which
# scripts/windows-checks.sh finds out before it builds them.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../../scripts/wine.sh)
