#!/usr/bin/env bash
# Runs a Windows program under Wine, the way the project's checks run it: the loader of the
# program's own kind, read from its PE header (the wine64 package's for a 64-bit program, the
# wine32 package's for a 32-bit one), a prefix of the project's own for each kind (made on first
# use, under a virtual display: a 64-bit Windows in prefix/, a 32-bit one in prefix32/), no Wine
# debug output, no .NET or HTML engine prompts, and a HOME whose ALSA configuration is a null
# device, so waveOut opens without a sound card. Arguments are the program and its arguments.
# CMake uses this script as the cross builds' test runner (CMAKE_CROSSCOMPILING_EMULATOR).
# 32-bit programs need a machine that executes 32-bit x86 code and the "windows32" packages
# (scripts/windows-checks.sh probes and installs them).
# Environment: ZARNOVELT_WINE_DIR   where the prefixes and HOME live (default: build-wine/ beside
#                                   the scripts folder);
#              ZARNOVELT_WINE_BITS  32 or 64: the kind, for a program that is not a file (a
#                                   builtin such as reg or wineboot; default 64);
#              DISPLAY is passed on as it is.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
dir="${ZARNOVELT_WINE_DIR:-$(dirname "$here")/build-wine}"
program="${1:?usage: scripts/wine.sh PROGRAM [ARGUMENTS...]}"

# The machine field of a PE file's COFF header: 014c i386, 8664 x86-64.
bits="${ZARNOVELT_WINE_BITS:-64}"
if [ -f "$program" ]; then
  header="$(od -An -tu4 -j 60 -N 4 "$program" | tr -d ' ')"
  if [ -n "$header" ] && [ "$(od -An -c -j "$header" -N 2 "$program" | tr -d ' ')" = "PE" ]; then
    case "$(od -An -tx2 -j "$((header + 4))" -N 2 "$program" | tr -d ' ')" in
      014c) bits=32 ;;
      8664) bits=64 ;;
    esac
  fi
fi

# The package's program of that name (not a folder of that name).
package_program() {   # PACKAGE NAME
  local file
  while read -r file; do
    if [ "$(basename "$file")" = "$2" ] && [ -f "$file" ] && [ -x "$file" ]; then
      echo "$file"
      return
    fi
  done < <(dpkg -L "$1" 2> /dev/null)
}

if [ "$bits" = 32 ]; then
  loader="$(package_program wine32 wine)"
  export WINEARCH=win32
  export WINEPREFIX="$dir/prefix32"
  missing="32-bit Wine (wine32:i386) is not installed: scripts/windows-checks.sh installs it on a machine that runs 32-bit code"
else
  loader="$(package_program wine64 wine64)"
  export WINEPREFIX="$dir/prefix"
  missing="the wine64 package is not installed (scripts/build-windows.sh installs it)"
fi
if [ -z "$loader" ] || [ ! -x "$loader" ]; then
  echo "wine.sh: $missing" >&2
  exit 127
fi
mkdir -p "$dir/home"
if [ ! -f "$dir/home/.asoundrc" ]; then
  printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' > "$dir/home/.asoundrc"
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export HOME="$dir/home"
# The first run makes the prefix; others that start meanwhile wait for it.
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    xvfb-run -a "$loader" wineboot -i > "$WINEPREFIX.wineboot.log" 2>&1 || {
      echo "wine.sh: could not make the Wine prefix $WINEPREFIX; see $WINEPREFIX.wineboot.log" >&2
      exit 1
    }
  fi
) 9> "$WINEPREFIX.lock"
exec "$loader" "$@"
