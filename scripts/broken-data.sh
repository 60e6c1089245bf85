#!/usr/bin/env bash
# Breaks the show's data one file at a time and plays the whole show over each break, headless
# at 64x48 and one frame a second with --check-gl. Every data file but the timeline script is
#   deleted   removed from the data directory
#   empty     cut to zero bytes
#   half      cut to half its length
#   garbage   overwritten with as many pseudo-random bytes (the same bytes on every run)
# and each time the show must run to its end with exit status 0, no GL error, no sanitizer
# report, at most one message naming the file, and no message but the ones a broken file is
# allowed to cause (the effects' own texts, the library's texture and music notices, an effect
# kept out of the show). The music file is also decoded in full: its runs capture a video.
# Model bitmaps (.bmp) are the exception to "at most one message": a model reads its bitmaps
# again every time (once when it loads, once per start of its effect), and a broken bitmap
# reports on every read, so its one message may repeat; but every line must be that same
# message, and a second, different message fails the case.
#
# Usage: scripts/broken-data.sh DEMO DATA_DIR [WORK_DIR]
#   DEMO       the demo executable (CI uses the sanitizer build's, see scripts/sanitize.sh)
#   DATA_DIR   the generated data directory it runs in
#   WORK_DIR   scratch space (default: DATA_DIR/../broken-data); a failing case's broken file
#              and messages are kept in WORK_DIR/failures/
# Environment: ZARNOVELT_DEMO_PRELOAD, when set, becomes LD_PRELOAD for the demo alone.
set -euo pipefail

if [ "$#" -lt 2 ]; then
  sed -n '2,/^set -euo/p' "$0" | sed -e '$d' -e 's/^# \{0,1\}//' >&2
  exit 2
fi
demo="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
data="$(cd "$2" && pwd)"
work="${3:-$(dirname "$data")/broken-data}"
script_name="demoflow.txt"
[ -x "$demo" ] || { echo "broken-data: no demo executable at $demo" >&2; exit 2; }
[ -f "$data/$script_name" ] || { echo "broken-data: no $script_name in $data" >&2; exit 2; }

rm -rf "$work"
mkdir -p "$work/failures"
music="$(awk '$1 == "music" { print $2; exit }' "$data/$script_name")"

# Lines a broken file may cause; anything else on standard error fails the case.
allowed='^(Error: Couldn'"'"'t load the model dat\\model\.ms3d'
allowed+='|(BITCH|TUNNEL|CREDITS): cannot load the model "[^"]*"'
allowed+="|Error: Can't Find The Height Map!|Error: Failed To Get Data!"
allowed+='|Error: (Unknown DIB file format\.|Image file conversion error\.|Out of memory\.|Failed to open DIB file .*\.)'
allowed+='|Error: cannot load texture "[^"]*": .*'
allowed+='|Error: effect [A-Z]+ failed to initialise \(status -?[0-9]+\)'
allowed+='|Warning: effect [A-Z]+ is out of the show; its script lines are skipped'
allowed+='|Warning: '"$script_name"':[0-9]+: music "[^"]*": .*; the show runs silent)$'
reports='GL error|runtime error|AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer'

# Writes SIZE pseudo-random bytes to OUT, seeded from NAME: the same garbage on every run.
garbage() {
  local name="$1" size="$2" out="$3" seed
  seed="$(printf '%s' "$name" | cksum | cut -d' ' -f1)"
  perl -e 'srand($ARGV[0]); my $n = $ARGV[1]; binmode STDOUT;
           while ($n > 0) { my $k = $n < 65536 ? $n : 65536; $n -= $k;
                            print pack("C*", map { int(rand(256)) } 1 .. $k); }' "$seed" "$size" > "$out"
}

mapfile -t files < <(cd "$data" && find . -type f ! -name "$script_name" | sed 's|^\./||' | LC_ALL=C sort)
if [ "${#files[@]}" -eq 0 ]; then
  echo "broken-data: no data files in $data" >&2
  exit 2
fi

failed=0
cases=0
started=$SECONDS
for file in "${files[@]}"; do
  for mode in deleted empty half garbage; do
    cases=$((cases + 1))
    copy="$work/data"
    rm -rf "$copy"
    # Hard links are enough: the demo only reads, and the broken file is always a new one.
    cp -al "$data" "$copy" 2>/dev/null || cp -a "$data" "$copy"
    target="$copy/$file"
    size="$(stat -c %s "$target")"
    rm -f "$target"
    case "$mode" in
      deleted) ;;
      empty) : > "$target" ;;
      half) head -c "$((size / 2))" "$data/$file" > "$target" ;;
      garbage) garbage "$file" "$size" "$target" ;;
    esac

    args=(--headless --size 64x48 --fps 1 --check-gl --data "$copy")
    if [ "$file" = "$music" ]; then
      args+=(--capture "$work/show.mkv")
    fi
    case_start=$SECONDS
    status=0
    env ${ZARNOVELT_DEMO_PRELOAD:+LD_PRELOAD="$ZARNOVELT_DEMO_PRELOAD"} \
      timeout 300 "$demo" "${args[@]}" > "$work/stdout" 2> "$work/stderr.raw" || status=$?
    # The capture's progress lines are not messages.
    tr '\r' '\n' < "$work/stderr.raw" | grep -v -e '^capture ' -e '^$' > "$work/stderr" || true
    rm -f "$work/show.mkv"

    base="$(basename "$file")"
    naming="$(grep -c -F -- "$base" "$work/stderr" || true)"
    lines="$(wc -l < "$work/stderr")"
    problems=()
    [ "$status" -eq 0 ] || problems+=("exit status $status")
    grep -q -E "$reports" "$work/stderr" && problems+=("GL error or sanitizer report")
    case "$file" in
      *.bmp)
        distinct="$(sort -u "$work/stderr" | wc -l)"
        [ "$distinct" -le 1 ] || problems+=("$distinct different messages for $base") ;;
      *)
        [ "$naming" -le 1 ] || problems+=("$naming messages name $base") ;;
    esac
    if grep -v -E "$allowed" "$work/stderr" > "$work/unexpected"; then
      problems+=("unexpected message: $(head -n 1 "$work/unexpected")")
    fi
    # The effects' own texts, where they apply.
    case "$file:$mode" in
      *.ms3d:*)
        [ "$(grep -c -F "Couldn't load the model dat\\model.ms3d" "$work/stderr" || true)" -eq 1 ] ||
          problems+=("no single \"Couldn't load the model\" message") ;;
      */terrain_1.raw:deleted)
        [ "$(grep -c -F "Can't Find The Height Map!" "$work/stderr" || true)" -eq 1 ] ||
          problems+=("no single \"Can't Find The Height Map!\" message") ;;
      */terrain_1.raw:*)
        [ "$lines" -eq 0 ] || problems+=("a short or odd height map is not an error") ;;
      *.bmp:deleted)
        [ "$lines" -eq 0 ] || problems+=("a missing bitmap is not reported") ;;
    esac

    if [ "${#problems[@]}" -eq 0 ]; then
      printf 'ok    %-40s %-8s %2d message lines  %3d s\n' "$file" "$mode" "$lines" "$((SECONDS - case_start))"
    else
      failed=$((failed + 1))
      printf 'FAIL  %-40s %-8s %s\n' "$file" "$mode" "${problems[*]}"
      head -n 40 "$work/stderr" | sed 's/^/      | /'
      keep="$work/failures/$(printf '%s' "$file" | tr '/' '_').$mode"
      mkdir -p "$keep"
      cp "$work/stderr.raw" "$keep/stderr"
      [ -f "$target" ] && cp "$target" "$keep/"
    fi
  done
done
rm -rf "$work/data"

echo "broken-data: $cases cases over ${#files[@]} files, $failed failed, $((SECONDS - started)) s"
[ "$failed" -eq 0 ]
