#!/usr/bin/env bash
# Cross-builds the demo for Windows from the same CMake project, with Debian's mingw-w64:
#   build-win32/zarnovelt.exe         32-bit (i686): the release, and build-win32/zarnovelt-win32.zip
#                                     holding zarnovelt.exe, data/ and README.txt
#   build-win64/zarnovelt.exe         64-bit (x86_64): its twin, which CI runs under 64-bit Wine
#                                     where 32-bit code cannot run, with the Windows tests
# each with the generated data in data/ beside the executable. The data and the executable's
# icon and banner are made by a native assetgen, built first in build-native-tools/. Installs
# what is missing (scripts/packages.txt: the base lines and the "windows" group).
# Usage: scripts/build-windows.sh [--no-tests] [--win32-tests]
#   --no-tests      no test programs for build-win64 (the twin)
#   --win32-tests   the Windows tests for build-win32 too, for a machine that runs 32-bit code
#                   under 32-bit Wine (scripts/windows-checks.sh decides)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
tests=ON
win32Tests=OFF
for option in "$@"; do
  case "$option" in
    --no-tests) tests=OFF ;;
    --win32-tests) win32Tests=ON ;;
    *) echo "build-windows: unknown option $option" >&2; exit 2 ;;
  esac
done

"$here/install-packages.sh" windows

launcher=()
if command -v ccache > /dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# The native data generator.
tools="$root/build-native-tools"
cmake -S "$root" -B "$tools" -G Ninja -DZARNOVELT_TESTS=OFF "${launcher[@]}" > /dev/null
cmake --build "$tools" --target assetgen

build() {
  local folder="$1" toolchain="$2" withTests="$3"
  cmake -S "$root" -B "$root/$folder" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/$toolchain" \
    -DZARNOVELT_ASSETGEN="$tools/assetgen" -DZARNOVELT_TESTS="$withTests" "${launcher[@]}" > /dev/null
  cmake --build "$root/$folder"
}
build build-win32 mingw-w64-i686.cmake "$win32Tests"
build build-win64 mingw-w64-x86_64.cmake "$tests"
echo "build-windows: $root/build-win32/zarnovelt.exe, $root/build-win32/zarnovelt-win32.zip, $root/build-win64/zarnovelt.exe"
