# Cross-compiling for 32-bit Windows (the release) with Debian's mingw-w64, posix thread model
# (std::thread and std::mutex). scripts/build-windows.sh passes this file to CMake.
set(ZARNOVELT_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
