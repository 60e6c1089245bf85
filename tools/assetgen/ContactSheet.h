// The review sheet: every picture the generator wrote, as a labelled thumbnail on one PNG.
#pragma once

#include <vector>

#include "Output.h"

// Lays the pictures out in a grid (each scaled to fit a square cell, keeping its aspect) with
// its path written under it, and encodes the sheet as PNG.
Bytes MakeContactSheet(const std::vector<ReviewPicture>& pictures);
