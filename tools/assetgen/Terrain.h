// The landscape's height map "dat/terrain_1.raw": 512 x 512 bytes, row after row, each an
// unsigned height 0..255. Laid out around the LAND camera's flight while the show shows it
// (Flight.h, Landscape.h): a valley down the camera's way in, ridges where it looks.
#pragma once

#include "Writers.h"

Bytes MakeHeightMap();
