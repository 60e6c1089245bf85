#!/usr/bin/env bash
# The browser build's checks, in Debian's headless Chromium (software WebGL 2 through SwiftShader),
# the page served from 127.0.0.1 by the driver's own server (tests/web/drive.mjs):
#   1. the build (scripts/build-web.sh), the native OpenGL ES build it is compared with
#      (build-gles/), and the driver's one npm package (playwright-core, never a browser of its own);
#   2. frames: a capture of the whole show (every effect is in it) at 160x120, one frame every
#      two seconds, in the page's test mode (exact frame clock, no start page), against the
#      native ES build's capture of the same frames (framediff);
#   3. a script given by the test (KAOS's layers switched on one after another over CLEAR's
#      methods, the end after 4 s): the page's 40 frames against the native ES build's, and a
#      capture of every tenth frame keeps those frames under their own numbers;
#   4. a missing data file: the page prints the same lines as the native build, the show goes on
#      to its end with status 0;
#   5. a person's page: the start page shows the names and the banner; Start (a real click, which
#      lets the page play sound); F1 shows the demo time and that the clock is the sound's; Space
#      stops the time and starts it again; the show ends by itself and the page says so;
#   6. no run puts an error in the console (nor a page error, a failed request or a WebGL error);
#   7. the browser takes the WebGL context away during the show: one message, the show ends, the
#      page says so.
# Needs framediff from the Linux build in build/ (scripts/test.sh makes it). Prints each step's
# time and ends with the count of passed and failed checks. Work files go to build-web/checks/.
#
# The frame tolerance, measured over the 95 frames: SwiftShader (the page's WebGL 2) and llvmpipe
# (the native build's OpenGL ES) draw the same calls apart. Over textured areas most pixels
# differ by a few levels (up to 8: texture filtering and the 5-bit colour storage the effects
# ask for round apart); along polygon edges a pixel may differ entirely (the rasterisers' edge
# rules). Worst frame: 7.2 % of the pixels differ by more than 8, 1.27 % by more than 16, 0.13 %
# by more than 32; the worst mean difference per channel is 1.7. A frame passes when at most
# 3 % of its pixels differ by more than 16 and the mean difference is at most 3: comparing each
# frame with the one 2 s later (a wrong time, a missing layer) fails 92 of the 95.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"

step_start=$SECONDS
step() {
  echo "web-checks: $1 ($((SECONDS - step_start)) s)"
  step_start=$SECONDS
}

framediff="$root/build/framediff"
[ -x "$framediff" ] || { echo "web-checks: $framediff is missing; run scripts/test.sh first" >&2; exit 1; }
work="$root/build-web/checks"

"$here/build-web.sh"
# The native build over OpenGL ES 3, the same layer the page draws with.
cmake -S "$root" -B "$root/build-gles" -G Ninja -DZARNOVELT_GLES=ON > /dev/null
cmake --build "$root/build-gles" --target zarnovelt zarnovelt_data
native="$root/build-gles/zarnovelt"
(cd "$root/tests/web" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
rm -rf "$work"
mkdir -p "$work"
step "built build-web and build-gles"

passed=0
failed=0
pass() {
  echo "web-checks: ok: $1"
  passed=$((passed + 1))
}
fail() {
  echo "web-checks: FAILED: $1" >&2
  failed=$((failed + 1))
}

# drive NAME MODE QUERY [driver options]: runs the page, keeps its report in $work/NAME.json.
drive() {
  local name="$1" mode="$2" query="$3"
  shift 3
  node "$root/tests/web/drive.mjs" "$root/build-web" "$mode" --query "$query" "$@" > "$work/$name.json"
}
# field NAME EXPRESSION: a value of a run's report (a JavaScript expression over `r`).
field() {
  node -e "const r = JSON.parse(require('fs').readFileSync('$work/$1.json', 'utf8')); console.log($2)"
}
# A run that failed in the driver, or ended with an error in the console, fails its check.
clean_run() {
  local name="$1"
  local error errors
  error="$(field "$name" "r.error || ''")"
  errors="$(field "$name" "r.consoleErrors.join('\n')")"
  if [ -n "$error" ] || [ -n "$errors" ]; then
    fail "$name: ${error:-errors in the console}"
    [ -z "$errors" ] || echo "$errors" | sed 's/^/  /' >&2
    field "$name" "r.lines.slice(-5).join('\n')" | sed 's/^/  page: /' >&2
    return 1
  fi
}

# 2. The same frames from the page and from the native ES build.
capture="size=160x120&fps=1/2&no-music"
"$native" --headless --size 160x120 --fps 1/2 --no-music --capture "$work/native-frames" > /dev/null 2> "$work/native-capture.err"
if drive frames capture "$capture" --out "$work/web-frames" && clean_run frames; then
  frames="$(field frames "r.frames")"
  if [ "$(field frames "r.status")" != 0 ]; then
    fail "frames: the page's run ended with status $(field frames "r.status")"
  elif "$framediff" --channel 16 --max-share 3 --max-mean 3 "$work/native-frames" "$work/web-frames" \
      > "$work/framediff.txt"; then
    pass "frames: $frames frames as the native ES build's ($(tail -n 1 "$work/framediff.txt"))"
  else
    fail "frames: the page's frames differ from the native ES build's"
    tail -n 20 "$work/framediff.txt" >&2
  fi
fi
step "the whole show's frames against the native ES build"

# 3. A script of the test's own, put into the page's data by the driver.
cat > "$work/given.txt" <<'SCRIPT'
# KAOS with each of its layers, over CLEAR's methods; the show ends at 4 s.
0     start CLEAR 0
0     start BACKGROUND 1
0     int BACKGROUND BGIMAGE 0
0     start KAOS 6
0     int KAOS SL 1
500   int KAOS SR 1
1000  int KAOS QLG 1
1000  int CLEAR METHOD 3
1500  int KAOS HAMMER 1
2000  int KAOS TCUBE 1
2500  int KAOS HEAD 1
2500  int CLEAR METHOD 2
3000  int KAOS FH 1
3000  int KAOS SL 0
3500  int KAOS HAMMER 2
4000  end
SCRIPT
"$native" --data "$root/build-gles/data" --script "$work/given.txt" --headless --size 160x120 --fps 10 \
  --capture "$work/native-given" > /dev/null 2> "$work/native-given.err"
if drive given capture "script=given.txt&size=160x120&fps=10" --file "given.txt=$work/given.txt" \
    --out "$work/web-given" && clean_run given; then
  frames="$(field given "r.frames")"
  if [ "$(field given "r.status")" != 0 ] || [ "$frames" != 40 ]; then
    fail "a given script: status $(field given "r.status"), $frames frames (40 expected)"
  elif "$framediff" --channel 16 --max-share 3 --max-mean 3 "$work/native-given" "$work/web-given" \
      > "$work/framediff-given.txt"; then
    pass "a given script: $frames frames as the native ES build's ($(tail -n 1 "$work/framediff-given.txt"))"
  else
    fail "a given script: the page's frames differ from the native ES build's"
    tail -n 20 "$work/framediff-given.txt" >&2
  fi
fi
# The same script keeping every tenth frame: the page writes frames 0, 10, 20 and 30 under those
# numbers (the page has no worker threads; the files are written on the page's one thread).
if drive given-every capture "script=given.txt&size=160x120&fps=10&capture-every=10" \
    --file "given.txt=$work/given.txt" --out "$work/web-given-every" && clean_run given-every; then
  kept="$(cd "$work/web-given-every" && echo *.png)"
  expected="frame_000000.png frame_000010.png frame_000020.png frame_000030.png"
  if [ "$kept" != "$expected" ]; then
    fail "every tenth frame: the page kept $kept ($expected expected)"
  elif ! (for name in $expected; do cmp -s "$work/web-given/$name" "$work/web-given-every/$name" || exit 1; done); then
    fail "every tenth frame: the kept frames differ from the same frames of the full capture"
  else
    pass "every tenth frame: $expected, as in the full capture"
  fi
fi
step "a script given by the test"

# 4. A missing data file: the same lines as the native build, and the show goes on.
missing="dat/terrain_1.raw"
broken_data="$work/data-missing"
cp -a "$root/build-gles/data" "$broken_data"
rm -f "$broken_data/$missing"
"$native" --data "$broken_data" --headless --size 64x48 --fps 2 --frames 6 --start 0:50 --no-music \
  > /dev/null 2> "$work/missing.native.err"
if drive missing timing "size=64x48&fps=2&frames=6&start=0:50&no-music&missing=$missing" && clean_run missing; then
  field missing "r.lines.join('\n')" > "$work/missing.web.err"
  if [ "$(field missing "r.status")" != 0 ]; then
    fail "missing data file: the page's run ended with status $(field missing "r.status")"
  elif [ ! -s "$work/missing.native.err" ]; then
    fail "missing data file: the native build printed nothing"
  elif ! diff -u "$work/missing.native.err" "$work/missing.web.err" > "$work/missing.diff"; then
    fail "missing data file: the page's lines differ from the native build's"
    cat "$work/missing.diff" >&2
  else
    pass "missing data file: $(head -n 1 "$work/missing.web.err")"
  fi
fi
step "a missing data file"

# 5. A person's page, from 5 s before the end.
end_ms="$(awk '$2 == "end" { print $1 }' "$root/build-web/data/demoflow.txt")"
start="$(awk -v end="$end_ms" 'BEGIN { printf "%d", end - 5000 }')"
if drive interactive interactive "start=$start" --viewport 480x360 && clean_run interactive; then
  report() { field interactive "$1"; }
  problems=()
  [ "$(report "r.title")" = "Zarnovelt" ] || problems+=("title \"$(report "r.title")\"")
  [ "$(report "r.group")" = "by Quillmarsh party gang" ] || problems+=("group \"$(report "r.group")\"")
  [ "$(report "r.bannerLoaded")" = 91 ] || problems+=("banner not shown")
  [ "$(report "r.audioState")" = running ] || problems+=("audio $(report "r.audioState")")
  report "r.overlay" | grep -q "clock: sound device" || problems+=("the clock is not the sound's: $(report "r.overlay")")
  [ "$(report "r.pausedTimes[0] === r.pausedTimes[1]")" = true ] || problems+=("time ran while paused: $(report "r.pausedTimes")")
  [ "$(report "r.resumedTime > r.pausedTimes[1]")" = true ] || problems+=("time stood after resuming: $(report "r.resumedTime")")
  [ "$(report "r.status")" = 0 ] || problems+=("status $(report "r.status")")
  [ "$(report "r.endedShown && r.endedText")" = "The show has ended." ] || problems+=("no end on the page")
  if [ "${#problems[@]}" -eq 0 ]; then
    pass "a person's page: Start, F1 ($(report "r.overlay.split('\n')[1]")), Space, the end"
  else
    fail "a person's page: ${problems[*]}"
  fi
fi
step "a person's page"

# 7. The WebGL context taken away in the middle of the show (its own errors in the console are
# the browser's account of it, so this run is judged by its lines and its end only).
if drive lost timing "size=160x120&fps=2&no-music" --lose-context 20; then
  lost_line="Error: the browser has taken the WebGL context away; the show ends (reload the page to play it again)"
  if [ -n "$(field lost "r.error || ''")" ]; then
    fail "context lost: $(field lost "r.error")"
  elif [ "$(field lost "r.lostWhile")" != running ] || [ "$(field lost "r.state")" != ended ]; then
    fail "context lost: the show was not running ($(field lost "r.lostWhile")) or did not end ($(field lost "r.state"))"
  elif [ "$(field lost "r.lines.join('\\n')")" != "$lost_line" ]; then
    fail "context lost: not the one message: $(field lost "r.lines.slice(0, 5).join(' | ')")"
  elif [ "$(field lost "r.endedShown && r.endedText")" != "The show has ended." ]; then
    fail "context lost: the page does not say the show has ended"
  else
    pass "context lost: \"$lost_line\", the show ended"
  fi
fi
step "the WebGL context taken away"

echo "web-checks: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
