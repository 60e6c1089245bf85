#!/usr/bin/env bash
# The Windows build's checks, on a machine that cannot run 32-bit code at all:
#   1. both builds (scripts/build-windows.sh);
#   2. the 32-bit release: PE i386, GUI subsystem, system DLLs only, icon 110 and bitmap 140
#      (scripts/check-windows-exe.sh), and its zip's contents;
#   3. under 64-bit Wine on a virtual display (scripts/wine.sh), its 64-bit twin:
#      a. the tests that need no window (CTest in build-win64);
#      b. a headless PNG capture of the whole show (every effect is in it) at 160x120, one frame
#         every two seconds, against the Linux build's capture of the same frames (framediff);
#      c. a window run: a screenshot of the virtual display must show the show;
#      d. a missing and a broken data file, headless and in a window without the dialog: the
#         same messages on standard error as the Linux build gives, exit status 0, nothing waits;
#      e. a video capture through ffmpeg.exe on PATH (a stand-in that counts what arrives on its
#         two pipes) and without it (one message, exit status 1).
# Needs the Linux build in build/ (scripts/test.sh makes it): its frames, its messages, framediff.
# Prints each step's time. Work files go to build-wine/checks/.
#
# The frame tolerance, measured over the 95 frames: the largest difference of a channel is 10,
# at most 0.01 % of a frame's pixels differ by more than 8, and the mean difference per channel
# is at most 0.02. Two causes, both measured: the Windows build decodes JPEG with stb_image and
# the Linux build with libjpeg, which round the inverse DCT and the chroma upsampling apart by up
# to 3 steps a channel (mean 0.01) in our textures; and the Windows C runtime's sin, cos and pow
# differ from glibc's in the last bit for some arguments, which moves a vertex by a sliver of a
# pixel. Additive layers and lighting carry both into the frames. A frame passes when at most
# 0.5 % of its pixels differ by more than 8 and the mean difference is at most 0.2: a wrong
# transform, a missing layer or a swapped channel moves whole regions by far more than that.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
if [ -z "${ZARNOVELT_CHECKS_DISPLAY:-}" ]; then
  # Everything below runs on one virtual display.
  exec env ZARNOVELT_CHECKS_DISPLAY=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

step_start=$SECONDS
step() {
  echo "windows-checks: $1 ($((SECONDS - step_start)) s)"
  step_start=$SECONDS
}

linux="$root/build/zarnovelt"
framediff="$root/build/framediff"
for tool in "$linux" "$framediff"; do
  [ -x "$tool" ] || { echo "windows-checks: $tool is missing; run scripts/test.sh first" >&2; exit 1; }
done
wine="$here/wine.sh"
work="$root/build-wine/checks"
rm -rf "$work"
mkdir -p "$work"

"$here/build-windows.sh"
step "built build-win32 and build-win64"

# 2. The release: the executable in the zip, as a person unpacks it, and its twin.
mkdir -p "$work/zip"
(cd "$work/zip" && cmake -E tar xf "$root/build-win32/zarnovelt-win32.zip")
"$here/check-windows-exe.sh" "$work/zip/zarnovelt.exe" i386
"$here/check-windows-exe.sh" "$root/build-win64/zarnovelt.exe" x86-64
for entry in zarnovelt.exe README.txt data/demoflow.txt data/dat/terrain_1.raw; do
  [ -f "$work/zip/$entry" ] || { echo "windows-checks: the zip lacks $entry" >&2; exit 1; }
done
if find "$work/zip" -iname '*.dll' | grep -q .; then
  echo "windows-checks: the zip holds a DLL" >&2
  exit 1
fi
if ! diff -r "$work/zip/data" "$root/build-win32/data" > /dev/null; then
  echo "windows-checks: the zip's data differs from the generated data" >&2
  exit 1
fi
step "the 32-bit executable and its zip"

# 3a. The tests that need no window, under Wine.
(cd "$root/build-win64" && ctest --output-on-failure -j2)
step "windowless tests under Wine"

# 3b. The same frames from both builds.
capture_args=(--headless --size 160x120 --fps 1/2 --no-music)
"$linux" "${capture_args[@]}" --capture "$work/linux-frames" > /dev/null
"$wine" "$root/build-win64/zarnovelt.exe" "${capture_args[@]}" --capture "Z:$work/wine-frames" > "$work/capture.out" 2> "$work/capture.err" || {
  echo "windows-checks: the Wine capture failed:" >&2
  cat "$work/capture.err" >&2
  exit 1
}
"$framediff" --channel 8 --max-share 0.5 --max-mean 0.2 "$work/linux-frames" "$work/wine-frames" > "$work/framediff.txt" || {
  cat "$work/framediff.txt" >&2
  exit 1
}
tail -n 1 "$work/framediff.txt"
step "headless capture under Wine against the Linux frames"

# 3c. A window on the virtual display; the show is there when a screenshot is mostly lit and
# colourful. The demo ends the show itself after its frames; a stuck one is ended by its id.
"$wine" "$root/build-win64/zarnovelt.exe" --no-dialog --size 640x480 --start 0:24 > "$work/window.out" 2> "$work/window.err" &
window_pid=$!
shown=""
for attempt in $(seq 1 60); do
  sleep 2
  ffmpeg -loglevel error -y -f x11grab -video_size 1024x768 -i "$DISPLAY" -frames:v 1 "$work/window.png" 2> /dev/null || continue
  read -r _ lit _ colours < <("$framediff" --lit "$work/window.png")
  if awk -v lit="$lit" -v colours="$colours" 'BEGIN { exit !(lit > 15 && colours > 500) }'; then
    shown="lit $lit % of the screen, $colours colours"
    break
  fi
  kill -0 "$window_pid" 2> /dev/null || break
done
kill "$window_pid" 2> /dev/null || true
wait "$window_pid" 2> /dev/null || true
if [ -z "$shown" ]; then
  echo "windows-checks: no screenshot showed the show (last one: $work/window.png)" >&2
  cat "$work/window.err" >&2
  exit 1
fi
echo "windows-checks: the window showed the show ($shown)"
step "a window run under Wine"

# 3d. Broken data: one missing file, one garbled one; messages as on Linux, exit 0, no waiting.
broken_case() {   # NAME FILE MODE
  local name="$1" file="$2" mode="$3" data="$work/data-$1"
  rm -rf "$data"
  cp -a "$root/build-win64/data" "$data"
  case "$mode" in
    missing) rm -f "$data/$file" ;;
    garbage) head -c "$(stat -c %s "$data/$file")" /dev/zero | tr '\0' 'Z' > "$data/$file" ;;
  esac
  local args=(--data "$data" --size 64x48 --fps 2 --frames 6 --start 0:50 --no-music)
  "$linux" --headless "${args[@]}" > /dev/null 2> "$work/$name.linux.err"
  for mode_args in "--headless" "--no-dialog"; do
    local status=0
    timeout 300 "$wine" "$root/build-win64/zarnovelt.exe" $mode_args "${args[@]/#$data/Z:$data}" > /dev/null 2> "$work/$name.wine.err" || status=$?
    if [ "$status" -ne 0 ]; then
      echo "windows-checks: $name ($mode_args): exit status $status" >&2
      cat "$work/$name.wine.err" >&2
      exit 1
    fi
    tr -d '\r' < "$work/$name.wine.err" | grep -v '^$' > "$work/$name.wine.messages" || true
    if ! diff -u "$work/$name.linux.err" "$work/$name.wine.messages" > "$work/$name.diff"; then
      echo "windows-checks: $name ($mode_args): the messages differ from the Linux build's:" >&2
      cat "$work/$name.diff" >&2
      exit 1
    fi
    [ -s "$work/$name.linux.err" ] || { echo "windows-checks: $name: no message at all" >&2; exit 1; }
  done
  echo "windows-checks: $name: $(head -n 1 "$work/$name.linux.err")"
}
broken_case missing-height-map dat/terrain_1.raw missing
broken_case broken-model dat/m_tunnel.ms3d garbage
step "missing and broken data under Wine"

# 3e. Video capture: 4 frames of 64x48 at 2 per second, converted to 4:2:0 by the writer, are
# 4 * 64 * 48 * 3 / 2 bytes of frames, and 2 seconds of 44.1 kHz 16-bit stereo.
mkdir -p "$work/ffmpeg"
cp "$root/build-win64/tests/ffmpeg_standin.exe" "$work/ffmpeg/ffmpeg.exe"
video_args=(--size 64x48 --fps 2 --frames 4 --start 0:30 --capture "Z:$work/show.mp4")
WINEPATH="Z:$work/ffmpeg" "$wine" "$root/build-win64/zarnovelt.exe" "${video_args[@]}" > /dev/null 2> "$work/video.err" || {
  echo "windows-checks: the video capture through the stand-in ffmpeg.exe failed:" >&2
  cat "$work/video.err" >&2
  exit 1
}
expected="video $((4 * 64 * 48 * 3 / 2)) audio $((2 * 44100 * 4))"
[ "$(cat "$work/show.mp4")" = "$expected" ] || {
  echo "windows-checks: ffmpeg.exe received \"$(cat "$work/show.mp4")\", expected \"$expected\"" >&2
  exit 1
}
status=0
"$wine" "$root/build-win64/zarnovelt.exe" "${video_args[@]}" > /dev/null 2> "$work/no-ffmpeg.err" || status=$?
if [ "$status" -ne 1 ] || ! grep -q "ffmpeg not found" "$work/no-ffmpeg.err"; then
  echo "windows-checks: without ffmpeg.exe: exit status $status and" >&2
  cat "$work/no-ffmpeg.err" >&2
  exit 1
fi
echo "windows-checks: ffmpeg.exe got $expected; without it: $(tr -d '\r' < "$work/no-ffmpeg.err" | head -n 1)"
step "video capture through ffmpeg.exe under Wine"
echo "windows-checks: all passed"
