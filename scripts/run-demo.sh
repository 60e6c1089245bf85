#!/usr/bin/env bash
# Builds the demo and its data (not the tests: scripts/test.sh builds those) and runs it: in a
# window when a display exists, otherwise a headless capture of the whole show, picture and
# sound, to build/zarnovelt.mp4 (the path is printed).
# Extra arguments go to the demo.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
"$here/setup.sh" --target zarnovelt --target zarnovelt_data
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$root/build/zarnovelt" "$@"
fi
video="$root/build/zarnovelt.mp4"
echo "No display: capturing the whole show headless to $video (H.264 + AAC)"
"$root/build/zarnovelt" --headless --capture "$video" "$@"
echo "Wrote $video"
