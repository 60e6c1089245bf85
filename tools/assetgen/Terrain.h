// The landscape's height map "dat/terrain_1.raw": 512 x 512 bytes, row after row, each an
// unsigned height 0..255, fractal and tileable.
#pragma once

#include "Writers.h"

Bytes MakeHeightMap();
