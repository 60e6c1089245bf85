#!/usr/bin/env bash
# The Windows build's checks. The release is the 32-bit executable in build-win32's zip; what
# runs it depends on the machine:
#   0. a probe: a static 32-bit x86 program of three instructions, which either runs or fails
#      at once. When it runs, 32-bit Wine is installed (scripts/packages.txt, group "windows32")
#      and the checks below run the executable unpacked from the zip -- the bytes we ship --
#      under 32-bit Wine, with the Windows tests built for i686 (32-bit long and pointers, the
#      stdcall callbacks, the structures' layout) instead of the twin's. When it does not (or 32-bit
#      Wine cannot be installed or started), one line says so and they run its 64-bit twin
#      under 64-bit Wine instead: the machine decides which, never whether the checks pass.
#   1. both builds (scripts/build-windows.sh);
#   2. the release: PE i386, GUI subsystem, system DLLs only, icon 110, bitmap 140 and the
#      manifest (scripts/check-windows-exe.sh), and its zip's contents; the twin likewise;
#   3. under Wine on a virtual display (scripts/wine.sh), the executable chosen in 0:
#      a. the Windows tests (CTest in its build folder);
#      b. a headless PNG capture of the whole show (every effect is in it) at 160x120, one frame
#         every two seconds, against the Linux build's capture of the same frames (framediff);
#      c. a window run as a person meets it: the start-up dialog answered by a click on Start
#         (xdotool), a screenshot showing the show, the F1 overlay, F11 to fullscreen with the
#         pointer gone from the paused show, Alt+Tab away to another program (a click on it)
#         and back (a click on the show) with the pointer there while away and gone again
#         after, the show moving on when resumed, F11 back to a window with the pointer there,
#         Escape ending it with exit status 0. Whether the pointer is over the picture is read
#         from two screenshots of the paused show, one with the pointer drawn in and one
#         without: the same picture means no pointer;
#      d. a missing and a broken data file, headless and in a window without the dialog: the
#         same messages on standard error as the Linux build gives, exit status 0, nothing waits;
#      e. a video capture through ffmpeg.exe on PATH (a stand-in that counts what arrives on its
#         two pipes) and without it (one message, exit status 1);
#      f. the display at 192 DPI (Wine's LogPixels): the start-up dialog twice its size at 96
#         DPI, the show's window as large as at 100 %, screenshots of the dialog and of the show
#         with its overlay kept in review/ of the executable's build folder.
# Needs the Linux build in build/ (scripts/test.sh makes it): its frames, its messages, framediff.
# Prints each step's time. Work files go to build-wine/checks/.
# Environment: ZARNOVELT_CHECKS_NO_32BIT=1 makes the probe answer "cannot", only to exercise the
# 64-bit twin's checks on a machine that can run 32-bit code.
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
# The 32-bit release, measured the same way: at most 0.010 % of a frame's pixels over 8 and a
# mean of at most 0.018, as close as the twin; its largest differences, 78 and 64, are one or
# two pixels each of frames 75 and 73.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
screen_width=1600
screen_height=1200
if [ -z "${ZARNOVELT_CHECKS_DISPLAY:-}" ]; then
  # Everything below runs on one virtual display, large enough for the dialog at 200 %.
  exec env ZARNOVELT_CHECKS_DISPLAY=1 xvfb-run -a -s "-screen 0 ${screen_width}x${screen_height}x24" "$0" "$@"
fi

step_start=$SECONDS
step() {
  echo "windows-checks: $1 ($((SECONDS - step_start)) s)"
  step_start=$SECONDS
}
fail() {
  echo "windows-checks: $1" >&2
  exit 1
}

linux="$root/build/zarnovelt"
framediff="$root/build/framediff"
for tool in "$linux" "$framediff"; do
  [ -x "$tool" ] || fail "$tool is missing; run scripts/test.sh first"
done
wine="$here/wine.sh"
work="$root/build-wine/checks"
rm -rf "$work"
mkdir -p "$work"

# 0. Can this machine execute 32-bit x86 code? exit(0) through int 0x80, assembled and linked
# by binutils (there with the compiler).
runs_32bit_code() {
  [ "${ZARNOVELT_CHECKS_NO_32BIT:-}" = 1 ] && return 1
  printf '.globl _start\n_start:\n  movl $1, %%eax\n  xorl %%ebx, %%ebx\n  int $0x80\n' > "$work/probe32.s"
  as --32 -o "$work/probe32.o" "$work/probe32.s" 2> /dev/null &&
    ld -m elf_i386 -o "$work/probe32" "$work/probe32.o" 2> /dev/null &&
    "$work/probe32" 2> /dev/null
}
bits=64
if ! runs_32bit_code; then
  reason="this machine cannot execute 32-bit x86 code"
  [ "${ZARNOVELT_CHECKS_NO_32BIT:-}" = 1 ] && reason="ZARNOVELT_CHECKS_NO_32BIT=1 says this machine cannot execute 32-bit x86 code"
  echo "windows-checks: $reason: checking the release's 64-bit twin under 64-bit Wine instead"
elif ! "$here/install-packages.sh" windows windows32 > "$work/install32.log" 2>&1; then
  echo "windows-checks: this machine executes 32-bit x86 code, but 32-bit Wine could not be installed ($work/install32.log): checking the release's 64-bit twin under 64-bit Wine instead"
elif ! ZARNOVELT_WINE_BITS=32 "$wine" cmd /c exit 0 > "$work/wine32.log" 2>&1; then
  echo "windows-checks: this machine executes 32-bit x86 code, but 32-bit Wine does not start ($work/wine32.log): checking the release's 64-bit twin under 64-bit Wine instead"
else
  bits=32
  echo "windows-checks: this machine executes 32-bit x86 code: running the 32-bit release itself under 32-bit Wine"
fi
step "probed for 32-bit code"

if [ "$bits" = 32 ]; then
  # The release's tests run; the twin's would only take time.
  "$here/build-windows.sh" --win32-tests --no-tests
else
  "$here/build-windows.sh"
fi
step "built build-win32 and build-win64"

# 2. The release: the executable in the zip, as a person unpacks it, and its twin.
mkdir -p "$work/zip"
(cd "$work/zip" && cmake -E tar xf "$root/build-win32/zarnovelt-win32.zip")
"$here/check-windows-exe.sh" "$work/zip/zarnovelt.exe" i386
"$here/check-windows-exe.sh" "$root/build-win64/zarnovelt.exe" x86-64
for entry in zarnovelt.exe README.txt data/demoflow.txt data/dat/terrain_1.raw; do
  [ -f "$work/zip/$entry" ] || fail "the zip lacks $entry"
done
if find "$work/zip" -iname '*.dll' | grep -q .; then
  fail "the zip holds a DLL"
fi
if ! diff -r "$work/zip/data" "$root/build-win32/data" > /dev/null; then
  fail "the zip's data differs from the generated data"
fi
step "the 32-bit executable and its zip"

# What runs from here on.
if [ "$bits" = 32 ]; then
  exe="$work/zip/zarnovelt.exe"
  build="$root/build-win32"
  data="$work/zip/data"
  what="the 32-bit release under 32-bit Wine"
else
  exe="$root/build-win64/zarnovelt.exe"
  build="$root/build-win64"
  data="$root/build-win64/data"
  what="the 64-bit twin under 64-bit Wine"
fi
review="$build/review"
rm -rf "$review"
mkdir -p "$review"
wine_of_kind() { ZARNOVELT_WINE_BITS="$bits" "$wine" "$@"; }

# 3a. The Windows tests, under Wine of the build's kind.
(cd "$build" && ctest --output-on-failure -j2)
step "Windows tests of $(basename "$build") under Wine"

# 3b. The same frames from both builds.
capture_args=(--headless --size 160x120 --fps 1/2 --no-music)
"$linux" "${capture_args[@]}" --capture "$work/linux-frames" > /dev/null
"$wine" "$exe" "${capture_args[@]}" --capture "Z:$work/wine-frames" > "$work/capture.out" 2> "$work/capture.err" || {
  cat "$work/capture.err" >&2
  fail "the Wine capture failed"
}
"$framediff" --channel 8 --max-share 0.5 --max-mean 0.2 "$work/linux-frames" "$work/wine-frames" > "$work/framediff.txt" || {
  cat "$work/framediff.txt" >&2
  exit 1
}
tail -n 1 "$work/framediff.txt"
step "headless capture of $what against the Linux frames"

# 3c. The window run. Wine draws no frame round its windows without a window manager, so an X
# window is the Windows window's client area.

# The X window called NAME that is taller than wide (the dialog) or wider than tall (the show);
# empty when there is none yet.
find_window() {   # NAME tall|wide
  local id
  for id in $(xdotool search --name "$1" 2> /dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id" 2> /dev/null)" || continue
    if { [ "$2" = tall ] && [ "$HEIGHT" -gt "$WIDTH" ]; } || { [ "$2" = wide ] && [ "$WIDTH" -gt "$HEIGHT" ]; }; then
      echo "$id"
      return
    fi
  done
}
wait_for_window() {   # NAME tall|wide PID: waits up to a minute while PID lives
  local id="" attempt
  for attempt in $(seq 1 300); do
    id="$(find_window "$1" "$2")"
    [ -n "$id" ] && break
    kill -0 "$3" 2> /dev/null || break
    sleep 0.2
  done
  echo "$id"
}
geometry() {   # WINDOW: "X Y WIDTH HEIGHT"
  eval "$(xdotool getwindowgeometry --shell "$1")"
  echo "$X $Y $WIDTH $HEIGHT"
}
shot() {   # FILE POINTER(0|1) [WINDOW]: the screen, or one window, with or without the pointer
  local x=0 y=0 width="$screen_width" height="$screen_height"
  [ -n "${3:-}" ] && read -r x y width height < <(geometry "$3")
  ffmpeg -loglevel error -y -f x11grab -draw_mouse "$2" -video_size "${width}x${height}" -i "$DISPLAY+$x,$y" \
    -frames:v 1 "$1"
}
# True when the pointer is drawn over the (paused, so unchanging) picture.
pointer_shown() {   # NAME
  shot "$work/$1-with.png" 1
  shot "$work/$1-without.png" 0
  ! cmp -s "$work/$1-with.png" "$work/$1-without.png"
}
key() { xdotool key "$@" 2> /dev/null; sleep 0.7; }
# Start in the dialog, clicked where the layout puts it: 159 x 407 of a 351 x 433 client at any
# scale (the layout scales as a whole). A click that comes before the dialog takes input is
# given again; false when the dialog stays.
click_start() {   # DIALOG
  local x y width height attempt
  read -r x y width height < <(geometry "$1")
  for attempt in $(seq 1 30); do
    [ $((attempt % 10)) = 1 ] && xdotool mousemove "$((x + width * 159 / 351))" "$((y + height * 407 / 433))" click 1
    sleep 0.5
    [ -z "$(find_window '^Zarnovelt$' tall)" ] && return 0
  done
  return 1
}
# Waits until a screenshot of WINDOW is mostly lit and colourful (the show, not black or the
# loading bar); prints "lit L % of the window, C colours".
wait_for_show() {   # WINDOW PID FILE
  local attempt lit colours
  for attempt in $(seq 1 60); do
    sleep 1
    kill -0 "$2" 2> /dev/null || return 1
    shot "$3" 0 "$1" 2> /dev/null || continue
    read -r _ lit _ colours < <("$framediff" --lit "$3")
    if awk -v lit="$lit" -v colours="$colours" 'BEGIN { exit !(lit > 15 && colours > 500) }'; then
      echo "lit $lit % of the window, $colours colours"
      return 0
    fi
  done
  return 1
}
# Ends a run that did not end itself, by its id (Wine's programs take no SIGTERM).
stop_run() { kill -KILL "$1" 2> /dev/null || true; wait "$1" 2> /dev/null || true; }
# Waits up to 20 s for a run to end by itself: exit_status is its status, empty when it runs on.
wait_exit() {   # PID
  local attempt
  exit_status=""
  for attempt in $(seq 1 40); do
    kill -0 "$1" 2> /dev/null || { wait "$1" && exit_status=0 || exit_status=$?; return 0; }
    sleep 0.5
  done
}
# The display's DPI as Wine reads it (LogPixels, in the prefix of the executable's kind).
set_dpi() { wine_of_kind reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f > /dev/null 2>&1; }

set_dpi 96
"$wine" "$exe" --size 640x480 --start 0:24 > "$work/window.out" 2> "$work/window.err" &
window_pid=$!
window_failed() {
  stop_run "$window_pid"
  [ -n "${helper_pid:-}" ] && stop_run "$helper_pid"
  cat "$work/window.err" >&2
  fail "window run: $1"
}
dialog="$(wait_for_window '^Zarnovelt$' tall "$window_pid")"
[ -n "$dialog" ] || window_failed "no start-up dialog appeared"
read -r _ _ dialog_width dialog_height < <(geometry "$dialog")
shot "$review/dialog-96dpi.png" 0 "$dialog"
show="$(find_window '^Zarnovelt$' wide)"
[ -n "$show" ] || window_failed "the dialog has no show window behind it"
click_start "$dialog" || window_failed "a click on Start left the dialog up"
shown="$(wait_for_show "$show" "$window_pid" "$review/window.png")" || window_failed "no screenshot showed the show after Start was clicked (last one: $review/window.png)"
! grep -q ZARNOVELT_DIALOG_AUTOSTART "$work/window.err" || window_failed "the dialog started by itself"
echo "windows-checks: Start clicked; the window showed the show ($shown)"

read -r x y width height < <(geometry "$show")
xdotool mousemove "$((x + width / 2))" "$((y + height / 2))"
key F1
shot "$review/overlay-96dpi.png" 0 "$show"
key F1
key space
pointer_shown window-paused || window_failed "no pointer over the show in a window"
key F11
sleep 1
read -r x y width height < <(geometry "$show")
[ "$width" = "$screen_width" ] && [ "$height" = "$screen_height" ] || window_failed "F11: the show is ${width}x$height, not fullscreen"
xdotool mousemove 700 500 mousemove 800 600
sleep 0.5
shot "$review/fullscreen.png" 0
! pointer_shown fullscreen || window_failed "F11: the pointer stays over the fullscreen show"

# Alt+Tab: Wine's own notepad comes up over the show and takes the focus; a click on it, and
# later on the show (raised, as Alt+Tab raises it), stands for the keys (there is no window
# manager to switch windows).
wine_of_kind notepad > /dev/null 2>&1 &
helper_pid=$!
helper="$(wait_for_window 'Notepad' wide "$helper_pid")"
[ -n "$helper" ] || window_failed "the other program (notepad) did not open"
read -r x y width height < <(geometry "$helper")
xdotool mousemove "$((x + width / 2))" "$((y + height / 2))" click 1
sleep 1
away_x=$((screen_width - 100))
away_y=$((screen_height - 100))
xdotool mousemove "$away_x" "$away_y"
sleep 0.5
kill -0 "$window_pid" 2> /dev/null || window_failed "the show ended when another program took the focus"
pointer_shown away || window_failed "Alt+Tab: no pointer over the show while another program has the focus"
xdotool windowraise "$show" click 1
sleep 1
xdotool mousemove "$((away_x - 20))" "$((away_y - 20))" mousemove "$away_x" "$away_y"
sleep 0.5
! pointer_shown back || window_failed "Alt+Tab back: the pointer stays over the fullscreen show"
stop_run "$helper_pid"
helper_pid=""
key space
shot "$work/resumed-1.png" 0
sleep 1
shot "$work/resumed-2.png" 0
! cmp -s "$work/resumed-1.png" "$work/resumed-2.png" || window_failed "Alt+Tab back: the resumed show stands still"

key F11
sleep 1
read -r x y width height < <(geometry "$show")
[ "$width" -lt "$screen_width" ] || window_failed "F11 again: the show is still fullscreen"
key space
xdotool mousemove "$((x + width / 2))" "$((y + height / 2))"
sleep 0.5
pointer_shown window-again || window_failed "F11 again: no pointer over the show in a window"
key space
key Escape
wait_exit "$window_pid"
[ -n "$exit_status" ] || window_failed "Escape did not end the show"
[ "$exit_status" = 0 ] || window_failed "exit status $exit_status after Escape"
echo "windows-checks: F1, F11, Alt+Tab away and back, F11, Escape: the pointer only over the show in a window and while away, the show moving on, exit status 0"
step "a window run of $what"

# 3d. Broken data: one missing file, one garbled one; messages as on Linux, exit 0, no waiting.
broken_case() {   # NAME FILE MODE
  local name="$1" file="$2" mode="$3" copy="$work/data-$1"
  rm -rf "$copy"
  cp -a "$data" "$copy"
  case "$mode" in
    missing) rm -f "$copy/$file" ;;
    garbage) head -c "$(stat -c %s "$copy/$file")" /dev/zero | tr '\0' 'Z' > "$copy/$file" ;;
  esac
  local args=(--data "$copy" --size 64x48 --fps 2 --frames 6 --start 0:50 --no-music)
  "$linux" --headless "${args[@]}" > /dev/null 2> "$work/$name.linux.err"
  for mode_args in "--headless" "--no-dialog"; do
    local status=0
    timeout 300 "$wine" "$exe" $mode_args "${args[@]/#$copy/Z:$copy}" > /dev/null 2> "$work/$name.wine.err" || status=$?
    if [ "$status" -ne 0 ]; then
      cat "$work/$name.wine.err" >&2
      fail "$name ($mode_args): exit status $status"
    fi
    tr -d '\r' < "$work/$name.wine.err" | grep -v '^$' > "$work/$name.wine.messages" || true
    if ! diff -u "$work/$name.linux.err" "$work/$name.wine.messages" > "$work/$name.diff"; then
      cat "$work/$name.diff" >&2
      fail "$name ($mode_args): the messages differ from the Linux build's"
    fi
    [ -s "$work/$name.linux.err" ] || fail "$name: no message at all"
  done
  echo "windows-checks: $name: $(head -n 1 "$work/$name.linux.err")"
}
broken_case missing-height-map dat/terrain_1.raw missing
broken_case broken-model dat/m_tunnel.ms3d garbage
step "missing and broken data, $what"

# 3e. Video capture: 4 frames of 64x48 at 2 per second, converted to 4:2:0 by the writer, are
# 4 * 64 * 48 * 3 / 2 bytes of frames, and 2 seconds of 44.1 kHz 16-bit stereo.
mkdir -p "$work/ffmpeg"
cp "$build/tests/ffmpeg_standin.exe" "$work/ffmpeg/ffmpeg.exe"
video_args=(--size 64x48 --fps 2 --frames 4 --start 0:30 --capture "Z:$work/show.mp4")
WINEPATH="Z:$work/ffmpeg" "$wine" "$exe" "${video_args[@]}" > /dev/null 2> "$work/video.err" || {
  cat "$work/video.err" >&2
  fail "the video capture through the stand-in ffmpeg.exe failed"
}
expected="video $((4 * 64 * 48 * 3 / 2)) audio $((2 * 44100 * 4))"
[ "$(cat "$work/show.mp4")" = "$expected" ] || fail "ffmpeg.exe received \"$(cat "$work/show.mp4")\", expected \"$expected\""
status=0
"$wine" "$exe" "${video_args[@]}" > /dev/null 2> "$work/no-ffmpeg.err" || status=$?
if [ "$status" -ne 1 ] || ! grep -q "ffmpeg not found" "$work/no-ffmpeg.err"; then
  cat "$work/no-ffmpeg.err" >&2
  fail "without ffmpeg.exe: exit status $status"
fi
echo "windows-checks: ffmpeg.exe got $expected; without it: $(tr -d '\r' < "$work/no-ffmpeg.err" | head -n 1)"
step "video capture through ffmpeg.exe, $what"

# 3f. A display scaled to 200 %: Wine reads the DPI from LogPixels, in the prefix of the
# executable's kind, which goes back to 96 DPI however this ends.
trap 'set_dpi 96 || true' EXIT
set_dpi 192
"$wine" "$exe" --size 640x480 --start 0:24 > "$work/window.out" 2> "$work/window.err" &
window_pid=$!
dialog="$(wait_for_window '^Zarnovelt$' tall "$window_pid")"
[ -n "$dialog" ] || window_failed "192 DPI: no start-up dialog appeared"
shot "$review/dialog-192dpi.png" 0 "$dialog"
read -r _ _ width height < <(geometry "$dialog")
# Twice the size at 96 DPI, give or take rounding (a font a pixel taller makes no row longer).
awk -v w="$width" -v h="$height" -v w1="$dialog_width" -v h1="$dialog_height" \
  'BEGIN { exit !(w >= 2 * w1 - 4 && w <= 2 * w1 + 4 && h >= 2 * h1 - 4 && h <= 2 * h1 + 40) }' ||
  window_failed "192 DPI: the dialog is ${width}x$height, at 96 DPI it is ${dialog_width}x$dialog_height"
show="$(find_window '^Zarnovelt$' wide)"
click_start "$dialog" || window_failed "192 DPI: a click on Start left the dialog up"
wait_for_show "$show" "$window_pid" "$work/window-192dpi.png" > /dev/null || window_failed "192 DPI: no screenshot showed the show (last one: $work/window-192dpi.png)"
read -r _ _ width height < <(geometry "$show")
[ "$width" = 1280 ] && [ "$height" = 960 ] || window_failed "192 DPI: a 640x480 show is in a window of ${width}x$height, not 1280x960"
key F1
sleep 1
shot "$review/overlay-192dpi.png" 0 "$show"
key Escape
wait_exit "$window_pid"
stop_run "$window_pid"
echo "windows-checks: at 192 DPI the dialog is ${dialog_width}x$dialog_height twice over and a 640x480 show has a 1280x960 window; screenshots in $review"
step "a display at 192 DPI, $what"

echo "windows-checks: all passed, with $what"
