#!/usr/bin/env bash
# The show as a viewer sees it, a frame a second: renders the whole show headless at each size
# at 60 frames a second (every frame is drawn, so the effects move as they do on a 60 Hz
# display) and keeps every 60th, checks each kept frame for seams (showreview seams), and lays
# the frames out on review pages of twenty seconds, seams marked in red. Everything goes to
# build/data-review/:
#   NAME-WxH/frame_NNNNNN.png   the frames (frame_004020.png is 1:07)
#   NAME-WxH_NN.png             the review pages
#   NAME-WxH-seams.txt          the seam report
#   OTHER-vs-NAME-WxH_NN.png    with --compare OTHER: OTHER's frames beside these, where they
#                               differ (OTHER-WxH/ from an earlier run of this script)
# NAME is "show" unless --name says otherwise. Options after "--" go to the demo, e.g.
# "-- --strict-clamp" for the border-colour edges the library otherwise avoids.
#
# Takes about 7 minutes at 1920x1080 and 3 at 640x480 on two cores (mostly rendering); the
# frames take about 170 MB and 50 MB. Exit status 1 when any seam is found.
#
# Usage: scripts/review-show.sh [--build DIR] [--size WxH]... [--name NAME] [--data DIR]
#                               [--compare OTHER] [-- DEMO OPTIONS]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"

build="$root/build"
sizes=()
name=show
data=""
compare=""
demo_options=()
while [ "$#" -gt 0 ]; do
  case "$1" in
    --build) build="$(cd "${2:?--build needs a directory}" && pwd)"; shift 2 ;;
    --size) sizes+=("${2:?--size needs WxH}"); shift 2 ;;
    --name) name="${2:?--name needs a name}"; shift 2 ;;
    --data) data="$(cd "${2:?--data needs a directory}" && pwd)"; shift 2 ;;
    --compare) compare="${2:?--compare needs a name}"; shift 2 ;;
    --) shift; demo_options=("$@"); break ;;
    *) echo "review-show: unknown option \"$1\" (see the comment at the top of $0)" >&2; exit 2 ;;
  esac
done
[ "${#sizes[@]}" -gt 0 ] || sizes=(1920x1080 640x480)
case "$name" in *[!A-Za-z0-9._-]*|"") echo "review-show: --name takes letters, digits, '.', '-' and '_'" >&2; exit 2 ;; esac

demo="$build/zarnovelt"
showreview="$build/showreview"
for tool in "$demo" "$showreview"; do
  if [ ! -x "$tool" ]; then
    echo "review-show: $tool is missing; build it first (cmake --build build --target zarnovelt showreview)" >&2
    exit 2
  fi
done
data_args=()
[ -z "$data" ] || data_args=(--data "$data")

out="$build/data-review"
mkdir -p "$out"
status=0
for size in "${sizes[@]}"; do
  frames="$out/$name-$size"
  echo "review-show: $name at $size, a frame a second at 60 fps, into $frames/"
  rm -rf "$frames"
  rm -f "$out/$name-$size"_[0-9][0-9].png
  start=$SECONDS
  "$demo" --headless --no-music --size "$size" --fps 60 --capture-every 60 --capture "$frames" \
    "${data_args[@]}" "${demo_options[@]}"
  echo "review-show: rendered in $((SECONDS - start)) s"

  if "$showreview" seams "$frames" > "$out/$name-$size-seams.txt"; then
    echo "review-show: no seams at $size"
  else
    seams_status=$?
    [ "$seams_status" -eq 1 ] || exit "$seams_status"
    status=1
    echo "review-show: seams at $size ($out/$name-$size-seams.txt):"
    tail -n 1 "$out/$name-$size-seams.txt"
  fi
  "$showreview" sheet --seams --title "$name, $size, a frame a second at 60 fps" "$frames" "$out/$name-$size" > /dev/null
  echo "review-show: review pages $out/$name-${size}_NN.png"

  if [ -n "$compare" ]; then
    if [ -d "$out/$compare-$size" ]; then
      rm -f "$out/$compare-vs-$name-$size"_[0-9][0-9].png
      "$showreview" compare --changed --seams --title "$compare (left) against $name (right), $size" \
        "$out/$compare-$size" "$frames" "$out/$compare-vs-$name-$size" > /dev/null
      echo "review-show: before/after pages $out/$compare-vs-$name-${size}_NN.png"
    else
      echo "review-show: no $out/$compare-$size/ to compare with" >&2
    fi
  fi
done
exit "$status"
