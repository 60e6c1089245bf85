#!/usr/bin/env bash
# Builds everything and runs the whole test suite through CTest (benchmarks excluded).
# Extra arguments go to ctest, e.g. scripts/test.sh -R Timeline
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
"$here/setup.sh"
cd "$root/build"
ctest --output-on-failure --label-exclude bench -j2 "$@"
