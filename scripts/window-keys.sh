#!/usr/bin/env bash
# Plays the demo in its window as a person would, on the X display it is run under (xvfb-run):
# starts the command, waits for the window titled "Zarnovelt", then works through the steps and
# waits for the demo to end. Its exit status is the demo's (1 when no window appeared).
# Usage: scripts/window-keys.sh OUT "STEPS" COMMAND [ARGUMENT...]
#   OUT     folder for window.stdout, window.stderr and the screenshots
#   STEPS   words done in order: KEY:SECONDS presses an xdotool key name (space, Right, F11,
#           Escape) on the window, then waits; wait:SECONDS only waits; shot:FILE takes a
#           screenshot of the window into OUT/FILE
#   e.g. SDL_AUDIODRIVER=dummy xvfb-run -a scripts/window-keys.sh out "wait:4 F1:2 shot:f1.png
#        Escape:0" build/zarnovelt --size 320x240
set -u
out="$1" steps="$2"
shift 2
"$@" > "$out/window.stdout" 2> "$out/window.stderr" &
pid=$!
window=""
for _ in $(seq 1 600); do
  window="$(xdotool search --name '^Zarnovelt$' 2> /dev/null | head -n 1)" || true
  [ -n "$window" ] && break
  kill -0 "$pid" 2> /dev/null || break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "no window appeared" >> "$out/window.stderr"
  kill "$pid" 2> /dev/null
  wait "$pid"
  exit 1
fi
for step in $steps; do
  name="${step%%:*}" value="${step#*:}"
  case "$name" in
    wait) sleep "$value" ;;
    shot)
      eval "$(xdotool getwindowgeometry --shell "$window")"
      ffmpeg -loglevel error -y -f x11grab -video_size "${WIDTH}x${HEIGHT}" -i "$DISPLAY+$X,$Y" \
        -frames:v 1 "$out/$value" ;;
    *)
      xdotool windowfocus --sync "$window" 2> /dev/null || true
      xdotool key --window "$window" "$name"
      sleep "$value" ;;
  esac
done
wait "$pid"
