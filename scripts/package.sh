#!/usr/bin/env bash
# Installs what is missing (scripts/packages.txt), builds the demo, its data and the packaged
# documents (not the tests), and writes with CPack
#   build/packages/zarnovelt-<version>-Linux.tar.gz   bin/ and share/ in one folder; runs from
#                                                      wherever it is unpacked
#   build/packages/zarnovelt_<version>_<arch>.deb      installs under /usr
# then checks the .deb with lintian: an error fails the script, warnings are printed.
# Usage: scripts/package.sh [extra cmake arguments]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
"$here/setup.sh" --target zarnovelt --target zarnovelt_data "$@"

cd "$root/build"
rm -f packages/zarnovelt-*.tar.gz packages/zarnovelt_*.deb
cpack > packages.log 2>&1 || { cat packages.log >&2; exit 1; }
tarball="$(ls packages/zarnovelt-*.tar.gz)"
deb="$(ls packages/zarnovelt_*.deb)"
status=0
lintian --fail-on error "$deb" > packages-lintian.log 2>&1 || status=$?
# As root lintian says that it would rather not be, on every run; that is not about the package.
grep -v 'running with root privileges' packages-lintian.log || true
if [ "$status" -ne 0 ]; then
  echo "package: lintian found errors in $deb (exit status $status)" >&2
  exit 1
fi
echo "Wrote $root/build/$tarball"
echo "Wrote $root/build/$deb"
