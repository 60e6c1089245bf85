#!/usr/bin/env bash
# Builds everything and runs the demo: in a window when a display exists, otherwise a headless
# capture of the whole show to a file whose path it prints. Extra arguments go to the demo.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
"$here/setup.sh"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$root/build/zarnovelt" "$@"
fi
capture="$root/build/capture"
rm -rf "$capture"
echo "No display: capturing the show headless to $capture/ (PNG frames)"
"$root/build/zarnovelt" --headless --capture "$capture" "$@"
count=$(find "$capture" -name 'frame_*.png' | wc -l)
echo "Wrote $count frames to $capture/ (frame_000000.png ...)"
