#!/usr/bin/env bash
# Installs the Debian packages of scripts/packages.txt that are missing (apt-get update only when
# something is missing). A line names one package, optionally followed by the group it belongs
# to; lines without a group are always wanted, a group's lines only when the group is named.
# A package named with an architecture (wine32:i386) turns that architecture on in dpkg first.
# Usage: scripts/install-packages.sh [GROUP...]     e.g. scripts/install-packages.sh windows
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
groups=" $* "

wanted=()
while read -r package group _; do
  if [ -z "$group" ] || [[ "$groups" == *" $group "* ]]; then
    wanted+=("$package")
  fi
done < <(sed -e 's/#.*//' "$here/packages.txt" | awk 'NF > 0')

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
  for architecture in $(printf '%s\n' "${missing[@]}" | sed -n 's/^[^:]*:\([a-z0-9]*\)$/\1/p' | sort -u); do
    if [ "$architecture" != "$(dpkg --print-architecture)" ] &&
      ! dpkg --print-foreign-architectures | grep -qx "$architecture"; then
      echo "Adding the $architecture architecture"
      $sudo_cmd dpkg --add-architecture "$architecture"
    fi
  done
  # Another apt or dpkg at work (an unattended upgrade, a second script) holds the lock: wait
  # for it, rather than fail at once.
  wait_lock=(-o DPkg::Lock::Timeout=600)
  $sudo_cmd apt-get "${wait_lock[@]}" update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get "${wait_lock[@]}" install -y -qq --no-install-recommends "${missing[@]}"
fi
