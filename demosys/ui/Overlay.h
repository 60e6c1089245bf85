// The F1 overlay in the window's corner: frame rate, frame time, demo time, whether the show is
// paused, and the running effects by layer in drawing order. Drawn over the scaled picture in
// the window only; captures and the effects never see it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sdl/WindowUi.h"

struct OverlayInfo
{
    double framesPerSecond = 0.0;
    double frameMs = 0.0;
    int64_t demoTimeMs = 0;
    int64_t endTimeMs = 0;
    bool paused = false;
    bool musicClock = false;            // the time follows the sound device
    std::vector<std::string> layers;    // "0: CLEAR BACKGROUND", lowest layer first
    std::string message;                // the last notice (e.g. a script that did not reload)
};

// Formats a demo time as m:ss.mmm.
std::string FormatDemoTime(int64_t timeMs);

// Builds and draws the overlay into the framebuffer bound for drawing.
void DrawOverlay(WindowUi& ui, const OverlayInfo& info);
