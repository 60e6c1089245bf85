#!/usr/bin/env bash
# Checks a Windows executable of ours as the release needs it, with mingw-w64's objdump:
#   the machine (i386 for the 32-bit release, x86-64 for its twin), the GUI subsystem, imports of
#   system DLLs only (no DLL of ours or of a library beside it), the icon group 110 and the bitmap
#   140 among its resources, the bitmap a 24-bit DIB of 91 x 433, and version information.
# Usage: scripts/check-windows-exe.sh EXE [i386|x86-64]      (default i386)
set -euo pipefail
exe="${1:?usage: scripts/check-windows-exe.sh EXE [i386|x86-64]}"
machine="${2:-i386}"
case "$machine" in
  i386) objdump=i686-w64-mingw32-objdump; format="pei-i386" ;;
  x86-64) objdump=x86_64-w64-mingw32-objdump; format="pei-x86-64" ;;
  *) echo "check-windows-exe: unknown machine $machine" >&2; exit 2 ;;
esac
[ -f "$exe" ] || { echo "check-windows-exe: no file $exe" >&2; exit 1; }
headers="$(mktemp)"
trap 'rm -f "$headers"' EXIT
"$objdump" -p "$exe" > "$headers"

problems=()
grep -q "file format $format\$" "$headers" || problems+=("not a $format executable: $(grep -m1 'file format' "$headers")")
grep -Eq '^Subsystem[[:space:]]+0+2[[:space:]]+\(Windows GUI\)' "$headers" ||
  problems+=("not a GUI-subsystem program: $(grep -m1 '^Subsystem' "$headers")")

# Windows' own DLLs; anything else would have to ship beside the executable.
system='^(kernel32|user32|gdi32|opengl32|glu32|winmm|msvcrt|advapi32|shell32|comctl32|ole32|oleaut32|shlwapi|ws2_32|version|psapi|imm32|uxtheme|dwmapi|ntdll|bcrypt|api-ms-win-[a-z0-9-]+)\.dll$'
mapfile -t dlls < <(awk '/DLL Name:/ { print tolower($3) }' "$headers" | sort -u)
[ "${#dlls[@]}" -gt 0 ] || problems+=("no import table found")
for dll in "${dlls[@]}"; do
  [[ "$dll" =~ $system ]] || problems+=("imports $dll, which is not a Windows system DLL")
done

# The resource directory: type 3/14 (icon, group icon), 2 (bitmap), 16 (version) and their ids.
resources="$(awk '/The .rsrc Resource Directory section/,0' "$headers")"
has_resource() {   # TYPE ID
  awk -v type="$1" -v id="$2" '
    /^ *Type:/ { inType = ($2 == type) }
    inType && /Entry: ID: / { if ($3 == id || $3 == sprintf("%#010x", id)) found = 1 }
    END { exit !found }' <<< "$resources"
}
has_resource 14 0x0000006e || has_resource 14 110 || problems+=("no icon group 110")
has_resource 2 0x0000008c || has_resource 2 140 || problems+=("no bitmap 140")
has_resource 16 0x00000001 || has_resource 16 1 || problems+=("no version information")

# The bitmap's own header: a BITMAPINFOHEADER of 91 x 433, 24 bits, uncompressed. Its place is
# the data entry under bitmap 140; its bytes are read from the .rsrc section's dump.
bitmap_rva="$(awk '
  /^ *Type: 2/ { inType = 1; next }
  /^ *Type:/ { inType = 0 }
  inType && /Resource Data: Address:/ { for (i = 1; i <= NF; ++i) if ($i == "Address:") { print $(i + 1); exit } }' <<< "$resources")"
if [ -n "$bitmap_rva" ]; then
  base="$(awk '/^ImageBase/ { print $2 }' "$headers")"
  want=$((16#${bitmap_rva#0x}))
  # The section dump lists each line's address (ImageBase + RVA) and 16 bytes in four groups.
  header_hex="$("$objdump" -s -j .rsrc "$exe" | awk -v from="$want" -v base="$((16#$base))" '
    /^ [0-9a-f]+ / {
      address = strtonum("0x" $1) - base
      for (g = 2; g <= 5; ++g)
        for (k = 0; k < length($g); k += 2) {
          offset = address + (g - 2) * 4 + k / 2
          if (offset >= from && offset < from + 16) bytes[offset - from] = substr($g, k + 1, 2)
        }
    }
    END { for (i = 0; i < 16; ++i) printf "%s", bytes[i] }')"
  le32() { echo $((16#${header_hex:$(($1 * 2 + 6)):2}${header_hex:$(($1 * 2 + 4)):2}${header_hex:$(($1 * 2 + 2)):2}${header_hex:$(($1 * 2)):2})); }
  le16() { echo $((16#${header_hex:$(($1 * 2 + 2)):2}${header_hex:$(($1 * 2)):2})); }
  if [ "${#header_hex}" -ne 32 ]; then
    problems+=("the bitmap's header could not be read")
  elif [ "$(le32 0)" -ne 40 ] || [ "$(le32 4)" -ne 91 ] || [ "$(le32 8)" -ne 433 ] || [ "$(le16 14)" -ne 24 ]; then
    problems+=("bitmap 140 is not a 24-bit 91 x 433 picture (header size $(le32 0), $(le32 4) x $(le32 8), $(le16 14) bits)")
  fi
else
  problems+=("bitmap 140 has no data")
fi

if [ "${#problems[@]}" -gt 0 ]; then
  printf 'check-windows-exe: %s: %s\n' "$exe" "${problems[@]}" >&2
  exit 1
fi
echo "check-windows-exe: $exe: $format, GUI subsystem, imports ${dlls[*]}; icon 110, bitmap 140 (24-bit 91 x 433), version information"
