// The loading progress bar drawn and presented after each effect's Init.
#pragma once

#include <cstddef>

// What DEMOGL_LoadingPBEnable and DEMOGL_LoadingPBSetAppearance set.
struct LoadingBarSettings
{
    bool enabled = false;
    float width = 1.0f, height = 0.02f, x = 0.0f, y = 0.0f;
    bool drawBar = true;
    bool backgroundPicture = false;
    unsigned int srcBlend = 0x0302;   // GL_SRC_ALPHA
    unsigned int dstBlend = 0x0303;   // GL_ONE_MINUS_SRC_ALPHA
    float opacity = 1.0f;
    float bar[3] = {0.5f, 0.5f, 0.5f};
    float border[3] = {1.0f, 1.0f, 1.0f};
};

// Draws the bar for `done` of `total` steps into the current framebuffer (width x height),
// saving and restoring every GL state it touches.
void DrawLoadingBar(const LoadingBarSettings& settings, int width, int height, size_t done, size_t total);
