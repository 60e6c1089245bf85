#!/usr/bin/env bash
# Installs the Debian packages the project needs (only those missing; apt-get update only when
# something is missing), then configures build/ with CMake and Ninja and builds everything, or
# only the targets named.
# Usage: scripts/setup.sh [--target NAME]... [extra cmake arguments]
#   --target NAME   build NAME (a Ninja target, e.g. zarnovelt, zarnovelt_data) instead of all
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"

targets=()
while [ "$#" -gt 0 ] && [ "$1" = "--target" ]; do
  targets+=(--target "${2:?--target needs a name}")
  shift 2
done

mapfile -t wanted < <(sed -e 's/#.*//' -e 's/[[:space:]]//g' "$here/packages.txt" | grep -v '^$')
missing=()
for package in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  sudo_cmd=""
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd="sudo"; fi
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$root" -B "$root/build" -G Ninja "$@"
cmake --build "$root/build" "${targets[@]}"
