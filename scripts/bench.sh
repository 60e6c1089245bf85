#!/usr/bin/env bash
# Builds everything (scripts/setup.sh) and the ES build's demo (build-gles/, over the
# fixed-function layer), and runs the full benchmark: every table of docs/performance.md,
# written to build/bench-report.md (and printed as it goes), the ES build's frame times beside
# the normal build's among them. It takes the better part of an hour on a 2-core machine; run
# it with the machine otherwise idle.
# Usage: scripts/bench.sh [--compare REVISION] [more zarnovelt_bench options]
#   --compare REVISION   also builds that git revision of the demo in build-bench-before/ and
#                        adds the before/after table (e.g. --compare 0112124)
#   e.g. --sections startup,show --sizes 640x480   for a part of it
#   e.g. --sections machine,gles                    for the ES build's table alone
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"

arguments=()
compare=""
while [ "$#" -gt 0 ]; do
  case "$1" in
    --compare)
      compare="${2:?--compare needs a git revision}"
      shift 2 ;;
    *)
      arguments+=("$1")
      shift ;;
  esac
done

"$here/setup.sh"

# The ES build's demo, for the gles section (the tests of that build are gles-checks.sh's).
gles="$root/build-gles"
cmake -S "$root" -B "$gles" -G Ninja -DZARNOVELT_GLES=ON > /dev/null
cmake --build "$gles" --target zarnovelt
arguments+=(--gles "$gles/zarnovelt")

if [ -n "$compare" ]; then
  before="$root/build-bench-before"
  rm -rf "$before/source"
  mkdir -p "$before/source"
  # An export of the revision, not a checkout: the working tree is left alone.
  git -C "$root" archive "$compare" | tar -x -C "$before/source"
  cmake -S "$before/source" -B "$before/build" -G Ninja -DZARNOVELT_TESTS=OFF
  # Its own data too (the content may differ), found beside its program by the benchmark.
  cmake --build "$before/build" --target zarnovelt zarnovelt_data
  arguments+=(--compare "$before/build/zarnovelt")
fi

exec "$root/build/zarnovelt_bench" --out "$root/build/bench-report.md" "${arguments[@]}"
