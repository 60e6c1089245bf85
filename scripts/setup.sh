#!/usr/bin/env bash
# Installs the Debian packages the project needs (only those missing; apt-get update only when
# something is missing), then configures build/ with CMake and Ninja and builds everything, or
# only the targets named.
# Usage: scripts/setup.sh [--target NAME]... [extra cmake arguments]
#   --target NAME   build NAME (a Ninja target, e.g. zarnovelt, zarnovelt_data) instead of all
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"

targets=()
while [ "$#" -gt 0 ] && [ "$1" = "--target" ]; do
  targets+=(--target "${2:?--target needs a name}")
  shift 2
done

"$here/install-packages.sh"

cmake -S "$root" -B "$root/build" -G Ninja "$@"
cmake --build "$root/build" "${targets[@]}"
