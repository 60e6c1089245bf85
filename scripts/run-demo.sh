#!/usr/bin/env bash
# Builds everything and runs the demo: in a window when a display exists, otherwise a headless
# capture of the whole show, picture and sound, to build/zarnovelt.mp4 (the path is printed).
# Extra arguments go to the demo.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
"$here/setup.sh"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$root/build/zarnovelt" "$@"
fi
video="$root/build/zarnovelt.mp4"
echo "No display: capturing the whole show headless to $video (H.264 + AAC)"
"$root/build/zarnovelt" --headless --capture "$video" "$@"
echo "Wrote $video"
