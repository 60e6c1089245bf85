// The F1 overlay in the window's corner: frame rate, frame time, demo time, whether the show is
// paused, which clock it follows, and the running effects by layer in drawing order. The window
// backend draws these lines over the scaled picture; captures and the effects never see them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct OverlayInfo
{
    double framesPerSecond = 0.0;
    double frameMs = 0.0;
    int64_t demoTimeMs = 0;
    int64_t endTimeMs = 0;
    bool paused = false;
    bool musicClock = false;            // the time follows the sound device
    std::vector<std::string> layers;    // "layer 0: CLEAR BACKGROUND", lowest layer first
    std::string message;                // the last notice (e.g. a script that did not reload)
};

// Formats a demo time as m:ss.mmm.
std::string FormatDemoTime(int64_t timeMs);

// The overlay's text, line by line; an empty line separates the groups.
std::vector<std::string> OverlayLines(const OverlayInfo& info);
