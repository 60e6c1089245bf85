#!/usr/bin/env bash
# Runs a Windows program under 64-bit Wine, the way the project's checks run it: the wine64
# package's own loader (plain `wine` may pick a 32-bit one that this kind of machine cannot
# start), a prefix of the project's own (made on first use, under a virtual display), no Wine
# debug output, no .NET or HTML engine prompts, and a HOME whose ALSA configuration is a null
# device, so waveOut opens without a sound card. Arguments are the program and its arguments.
# CMake uses this script as the cross build's test runner (CMAKE_CROSSCOMPILING_EMULATOR).
# Environment: ZARNOVELT_WINE_DIR  where the prefix and HOME live (default: build-wine/ beside
#              the scripts folder); DISPLAY is passed on as it is.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
dir="${ZARNOVELT_WINE_DIR:-$(dirname "$here")/build-wine}"
loader="$(dpkg -L wine64 2>/dev/null | grep -E '/wine64$' | head -n 1 || true)"
if [ -z "$loader" ] || [ ! -x "$loader" ]; then
  echo "wine.sh: the wine64 package is not installed (scripts/build-windows.sh installs it)" >&2
  exit 127
fi
mkdir -p "$dir/home"
if [ ! -f "$dir/home/.asoundrc" ]; then
  printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' > "$dir/home/.asoundrc"
fi
export WINEPREFIX="$dir/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export HOME="$dir/home"
# The first run makes the prefix; others that start meanwhile wait for it.
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    xvfb-run -a "$loader" wineboot -i > "$dir/wineboot.log" 2>&1 || {
      echo "wine.sh: could not make the Wine prefix; see $dir/wineboot.log" >&2
      exit 1
    }
  fi
) 9> "$dir/prefix.lock"
exec "$loader" "$@"
