#!/usr/bin/env bash
# Checks a Windows executable of ours as the release needs it, with mingw-w64's objdump:
#   the machine (i386 for the 32-bit release, x86-64 for its twin), the GUI subsystem, imports of
#   system DLLs only (no DLL of ours or of a library beside it), the icon group 110 and the bitmap
#   140 among its resources, the bitmap a 24-bit DIB of 91 x 433, version information, and the
#   manifest: per-monitor DPI awareness (v2, then per-monitor, then system-aware), common
#   controls 6, Windows 7 to 11 as supported systems, asInvoker.
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

# The resource tree objdump prints: type entries, under each the id entries, under each a
# language entry and its data ("Leaf: Addr: RVA, Size: N"). Lists "TYPE ID RVA SIZE" per leaf.
resources="$(awk '
  /Entry: ID:/ {
    match($0, /^[0-9a-f]+ +/); indent = RLENGTH
    sub(/^[0-9a-f]+ +/, "")
    id = $3; sub(/,$/, "", id)
    if (typeIndent == 0 || indent <= typeIndent) { typeIndent = indent; type = id }
    else if (nameIndent == 0 || indent <= nameIndent) { nameIndent = indent; name = id }
  }
  /Leaf: Addr:/ { address = $4; sub(/,$/, "", address); print type, name, address, $6 }
' "$headers")"
has_resource() {   # TYPE ID (decimal)
  local type id
  while read -r type id _ _; do
    [ "$((type))" -eq "$1" ] && [ "$((id))" -eq "$2" ] && return 0
  done <<< "$resources"
  return 1
}
has_resource 14 110 || problems+=("no icon group 110")
has_resource 2 140 || problems+=("no bitmap 140")
has_resource 16 1 || problems+=("no version information")
has_resource 24 1 || problems+=("no manifest (resource 24, id 1)")

# A resource's bytes, read from the resource section.
section="$(mktemp)"
trap 'rm -f "$headers" "$section"' EXIT
"${objdump%objdump}objcopy" -O binary --only-section=.rsrc "$exe" "$section"
image_base="$(awk '/^ImageBase/ { print $2 }' "$headers")"
section_vma="$("$objdump" -h "$exe" | awk '$2 == ".rsrc" { print $4 }')"
resource_offset() {   # TYPE ID (as objdump prints them): the offset in $section, empty if none
  local rva
  rva="$(awk -v type="$1" -v id="$2" '$1 == type && $2 == id { print $3 }' <<< "$resources")"
  [ -n "$rva" ] && echo $((0x$image_base + rva - 0x$section_vma))
}

# Bitmap 140's own header: a BITMAPINFOHEADER of 91 x 433, 24 bits a pixel.
offset="$(resource_offset 0x000002 0x00008c)"
if [ -n "$offset" ]; then
  read -r header_size width height < <(od -An -tu4 -j "$offset" -N 12 "$section")
  read -r bits < <(od -An -tu2 -j "$((offset + 14))" -N 2 "$section")
  if [ "$header_size" != 40 ] || [ "$width" != 91 ] || [ "$height" != 433 ] || [ "$bits" != 24 ]; then
    problems+=("bitmap 140 is not a 24-bit 91 x 433 picture (header $header_size bytes, $width x $height, $bits bits)")
  fi
else
  problems+=("bitmap 140 has no data")
fi

# The manifest's settings, each as Windows reads it.
offset="$(resource_offset 0x000018 0x000001)"
if [ -n "$offset" ]; then
  size="$(awk '$1 == "0x000018" && $2 == "0x000001" { sub(/,$/, "", $4); print $4 }' <<< "$resources")"
  manifest="$(dd if="$section" bs=1 skip="$offset" count="$((size))" 2> /dev/null | tr -s ' \n\t' ' ')"
  wanted=(
    '<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">PerMonitorV2, PerMonitor</dpiAwareness>'
    '<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true/pm</dpiAware>'
    'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"'
    '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>'
    '<supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"/>'
    '<supportedOS Id="{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"/>'
    '<supportedOS Id="{1f676c76-80e1-4239-95bb-83d0f6d0da78}"/>'
    '<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>'
  )
  for setting in "${wanted[@]}"; do
    [[ "$manifest" == *"$setting"* ]] || problems+=("the manifest lacks $setting")
  done
else
  problems+=("the manifest has no data")
fi

if [ "${#problems[@]}" -gt 0 ]; then
  for problem in "${problems[@]}"; do
    echo "check-windows-exe: $exe: $problem" >&2
  done
  exit 1
fi
echo "check-windows-exe: $exe: $format, GUI subsystem, imports ${dlls[*]}; icon 110, bitmap 140 (24-bit 91 x 433), version information, manifest (per-monitor DPI aware v2, common controls 6, Windows 7 to 11, asInvoker)"
