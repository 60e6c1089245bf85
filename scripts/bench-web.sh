#!/usr/bin/env bash
# The browser build's frame rate for the whole show, beside the native OpenGL ES build's, both
# headless with the exact frame clock (the page in headless Chromium with SwiftShader, the
# native build through EGL on Mesa's llvmpipe), at 640x480 and 1280x720. The show is sampled at
# FPS frames a second of demo time (default 10: every 100 ms of the whole show, 1893 frames), and
# the frame rate is those frames over the time they took: the run's time less that of a run
# that only loads (--frames 0), the median of RUNS runs (default 1) each. Prints a Markdown
# table (docs/performance.md keeps the figures). Builds what is missing first
# (scripts/build-web.sh, build-gles/). Run it with the machine otherwise idle.
# Usage: scripts/bench-web.sh [FPS] [RUNS]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
fps="${1:-10}"
runs="${2:-1}"

mkdir -p "$root/build-web"
"$here/build-web.sh" > "$root/build-web/bench-build.log" 2>&1 || { cat "$root/build-web/bench-build.log" >&2; exit 1; }
cmake -S "$root" -B "$root/build-gles" -G Ninja -DZARNOVELT_GLES=ON > /dev/null
cmake --build "$root/build-gles" --target zarnovelt zarnovelt_data > /dev/null
(cd "$root/tests/web" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error > /dev/null)
native="$root/build-gles/zarnovelt"
work="$root/build-web/bench"
mkdir -p "$work"

# Frames k with k * 1000 / fps before the script's end.
end_ms="$(awk '$2 == "end" { print $1 }' "$root/build-gles/data/demoflow.txt")"
frames="$(awk -v end="$end_ms" -v fps="$fps" 'BEGIN { n = end * fps / 1000; f = int(n); print (f < n ? f + 1 : f) }')"

# Seconds of one native run.
native_seconds() {
  local started
  started="$(date +%s%N)"
  "$native" --headless --no-music --size "$1" --fps "$fps" --frames "$2" > /dev/null 2>&1
  awk -v a="$started" -v b="$(date +%s%N)" 'BEGIN { printf "%.3f", (b - a) / 1e9 }'
}

# Seconds of one run of the page, from the program's start to its end (the page's own clock).
web_seconds() {
  node "$root/tests/web/drive.mjs" "$root/build-web" timing --query "size=$1&fps=$fps&frames=$2&no-music" \
    --timeout 3600 > "$work/run.json"
  node -e "const r = JSON.parse(require('fs').readFileSync('$work/run.json', 'utf8'));
           if (r.error || r.status !== 0) { console.error(r.error || r.lines.join('\n')); process.exit(1); }
           console.log((r.runMs / 1000).toFixed(3))"
}

# Frames a second of the show: the frames over (whole run - loading run), median of the runs.
rate() {
  local kind="$1" size="$2" i full load
  for i in $(seq 1 "$runs"); do
    load="$("${kind}_seconds" "$size" 0)"
    full="$("${kind}_seconds" "$size" "$frames")"
    awk -v n="$frames" -v full="$full" -v load="$load" 'BEGIN { printf "%.2f %.1f\n", n / (full - load), load }'
  done | sort -n | awk '{ a[NR] = $0 } END { print a[int((NR + 1) / 2)] }'
}

echo "Whole show, $frames frames ($fps a second of demo time), headless, exact clock, no music; median of $runs run(s)."
echo
echo "| size | browser fps | native ES fps | browser / native | browser loading s | native loading s |"
echo "|---|---|---|---|---|---|"
for size in 640x480 1280x720; do
  read -r web_fps web_load < <(rate web "$size")
  read -r native_fps native_load < <(rate native "$size")
  ratio="$(awk -v a="$web_fps" -v b="$native_fps" 'BEGIN { printf "%.2f", a / b }')"
  echo "| $size | $web_fps | $native_fps | $ratio | $web_load | $native_load |"
done
