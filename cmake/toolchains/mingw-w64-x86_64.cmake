# Cross-compiling for 64-bit Windows (the twin CI runs under 64-bit Wine on a machine that cannot
# run 32-bit code) with Debian's mingw-w64, posix thread model. scripts/build-windows.sh passes
# this file to CMake.
set(ZARNOVELT_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
