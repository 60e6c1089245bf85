#!/usr/bin/env bash
# The demo as users get it, with the build tree's data out of reach (build/data is renamed for
# the duration and put back on exit, however the script ends):
#   1. scripts/package.sh: the program, its data and documents built, the .tar.gz and .deb
#      written, lintian without errors;
#   2. `cmake --install` into a temporary prefix: nothing lands outside it, and its data is
#      byte for byte what the generator makes (so no stale or test files);
#   3. the installed program, the unpacked .tar.gz and the .deb unpacked into a temporary root
#      (dpkg-deb -x, nothing is installed on the machine) each run headless from another working
#      directory without --data, capture a few frames as PNG files, and the frames are not black;
#   4. the .deb holds only the program, the data, the desktop entry, the icons, the manual page
#      and the documents;
#   5. desktop-file-validate accepts the menu entry.
# Usage: scripts/install-check.sh   (a few minutes; CI runs it after the tests)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
build="$root/build"
started=$SECONDS

"$here/package.sh"

work="$(mktemp -d /tmp/zarnovelt-install-check.XXXXXX)"
hidden="$build/data.install-check"
restore() {
  if [ -d "$hidden" ]; then mv "$hidden" "$build/data"; fi
  rm -rf "$work"
}
trap restore EXIT
fail() {
  echo "install-check: $*" >&2
  exit 1
}

# 2. A plain install, and the generator's own output to hold it against.
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" > "$work/install.log"
while IFS= read -r file; do
  case "$file" in
    "$prefix"/*) ;;
    *) fail "installed outside the prefix: $file" ;;
  esac
done < "$build/install_manifest.txt"
"$build/assetgen" "$work/generated" > /dev/null
diff -r "$work/generated" "$prefix/share/zarnovelt/data" > "$work/data.diff" ||
  fail "the installed data is not what the generator makes: $(head -n 5 "$work/data.diff")"
[ -x "$prefix/bin/zarnovelt" ] || fail "no program at $prefix/bin/zarnovelt"
for size in 16 32 48 128 256; do
  [ -s "$prefix/share/icons/hicolor/${size}x$size/apps/zarnovelt.png" ] || fail "no ${size}x$size icon"
done
[ -s "$prefix/share/man/man6/zarnovelt.6.gz" ] || fail "no manual page"

# 3. The build's data out of reach from here on.
mv "$build/data" "$hidden"

# run_check NAME PROGRAM: a few frames from 20 s on, ten seconds apart, each with something
# drawn (brightest pixel above 32) and the set of them not dark (mean brightness above 8).
run_check() {
  local name="$1" program="$2"
  local frames="$work/$name-frames" elsewhere="$work/$name-cwd"
  mkdir -p "$elsewhere"
  if ! (cd "$elsewhere" && "$program" --headless --no-music --size 160x120 --start 0:20 --fps 1/10 --frames 4 \
          --capture "$frames") > "$work/$name.log" 2>&1; then
    cat "$work/$name.log" >&2
    fail "$name: $program did not run"
  fi
  local count=0 total=0 stats mean max
  for frame in "$frames"/frame_*.png; do
    [ -f "$frame" ] || break
    stats="$(ffmpeg -v error -i "$frame" -vf "format=gray,signalstats,metadata=print:file=-" -f null - 2>&1)"
    mean="$(sed -n 's/.*signalstats.YAVG=//p' <<< "$stats")"
    max="$(sed -n 's/.*signalstats.YMAX=//p' <<< "$stats")"
    [ -n "$mean" ] && [ -n "$max" ] || fail "$name: cannot read $frame: $stats"
    [ "${max%%.*}" -gt 32 ] || fail "$name: $(basename "$frame") is black (brightest pixel $max)"
    total="$(awk -v a="$total" -v b="$mean" 'BEGIN { print a + b }')"
    count=$((count + 1))
  done
  [ "$count" -eq 4 ] || fail "$name: $count frames written, 4 expected"
  awk -v t="$total" -v n="$count" 'BEGIN { exit !(t / n > 8) }' || fail "$name: the frames are dark (mean $total / $count)"
  echo "install-check: $name: 4 frames, mean brightness $(awk -v t="$total" -v n="$count" 'BEGIN { printf "%.1f", t / n }')"
}

run_check install "$prefix/bin/zarnovelt"

tarball="$(ls "$build"/packages/zarnovelt-*.tar.gz)"
mkdir -p "$work/tar"
tar -xzf "$tarball" -C "$work/tar"
run_check tarball "$(ls -d "$work"/tar/zarnovelt-*)/bin/zarnovelt"

deb="$(ls "$build"/packages/zarnovelt_*.deb)"
dpkg-deb -x "$deb" "$work/deb-root"
run_check deb "$work/deb-root/usr/bin/zarnovelt"

# 4. Nothing in the .deb but what the demo installs.
dpkg-deb -c "$deb" | awk '{ print $NF }' | grep -v '/$' > "$work/deb-files"
grep -v -E '^\./usr/(bin/zarnovelt|share/zarnovelt/data/.+|share/applications/zarnovelt\.desktop|share/icons/hicolor/[0-9]+x[0-9]+/apps/zarnovelt\.png|share/man/man6/zarnovelt\.6\.gz|share/doc/zarnovelt/(README\.md|copyright|changelog\.gz))$' \
  "$work/deb-files" > "$work/deb-unexpected" || true
[ ! -s "$work/deb-unexpected" ] || fail "unexpected files in the .deb: $(head -n 5 "$work/deb-unexpected" | tr '\n' ' ')"
echo "install-check: $deb holds $(wc -l < "$work/deb-files") files, none unexpected"

# 5. The menu entry.
desktop-file-validate "$prefix/share/applications/zarnovelt.desktop" || fail "desktop-file-validate refused the menu entry"
echo "install-check: desktop entry valid"

echo "install-check: passed in $((SECONDS - started)) s"
