// The bitmaps the models' materials name, under dat/: 24-bit ones (skin, tunnel panels, cup
// shells) and 8-bit palette ones (dress, hair, tunnel ribs, headband leather).
#pragma once

#include "Output.h"

void MakeModelTextures(Generated* out);
