#!/usr/bin/env bash
# Installs the Debian packages the project needs (only those missing; apt-get update only when
# something is missing), then configures build/ with CMake and Ninja and builds everything.
# Usage: scripts/setup.sh [extra cmake arguments]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"

"$here/install-packages.sh"

cmake -S "$root" -B "$root/build" -G Ninja "$@"
cmake --build "$root/build"
