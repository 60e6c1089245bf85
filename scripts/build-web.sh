#!/usr/bin/env bash
# Builds the show for the browser with Debian's emscripten: WebAssembly + WebGL 2 under the
# fixed-function layer, music through Web Audio. Writes build-web/:
#   index.html, page.js, page.css, banner.bmp, favicon.ico   the page (shell/web)
#   zarnovelt.js, zarnovelt.wasm                             the code
#   zarnovelt.data, zarnovelt.data.js                        the data package (build/data as generated)
# The data is made by the native assetgen, built first in build-native-tools/ (as for Windows).
# Installs what is missing (scripts/packages.txt: the base lines and the "web" group).
# Serve the folder over HTTP (browsers fetch no WebAssembly from file://):
#   python3 -m http.server 8000 --bind 127.0.0.1 --directory build-web
# Usage: scripts/build-web.sh
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"

"$here/install-packages.sh" web

# Debian's emcc wants Debian's python3 and node modules ahead of any others.
export PATH="/usr/bin:$PATH" NODE_PATH=/usr/share/nodejs

launcher=()
if command -v ccache > /dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# The native data generator.
tools="$root/build-native-tools"
cmake -S "$root" -B "$tools" -G Ninja -DZARNOVELT_TESTS=OFF "${launcher[@]}" > /dev/null
cmake --build "$tools" --target assetgen

out="$root/build-web"
emcmake cmake -S "$root" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZARNOVELT_GLES=ON \
  -DZARNOVELT_TESTS=OFF -DZARNOVELT_ASSETGEN="$tools/assetgen" > /dev/null
cmake --build "$out"

size() { stat -c %s "$1"; }
echo "build-web: $out/index.html"
printf 'build-web: code %s bytes (zarnovelt.wasm %s, zarnovelt.js %s), data %s bytes (zarnovelt.data)\n' \
  "$(( $(size "$out/zarnovelt.wasm") + $(size "$out/zarnovelt.js") ))" "$(size "$out/zarnovelt.wasm")" \
  "$(size "$out/zarnovelt.js")" "$(size "$out/zarnovelt.data")"
