// The three MilkShape models and the bitmaps their materials name (all under dat/):
//   dat/m_bitch.ms3d      a standing dancer, about 68 units tall, feet at y = -23
//   dat/m_tunnel.ms3d     a ribbed tube along -z around the z axis, from z = -90 to -1050
//   dat/m_headphone.ms3d  headphones about 42 units across
#pragma once

#include "Output.h"

void MakeModels(Generated* out);
