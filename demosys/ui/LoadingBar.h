// The loading progress bar drawn and presented after each effect's Init.
#pragma once

#include "api/Library.h"

// Draws the bar for `done` of `total` steps into the current framebuffer (width x height),
// saving and restoring every GL state it touches.
void DrawLoadingBar(const LoadingBarSettings& settings, int width, int height, size_t done, size_t total);
