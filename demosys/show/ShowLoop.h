// The show itself, once the effects are loaded: each frame the clock gives the demo time T,
// every script event with time <= T is applied in file order, the running effects draw in layer
// order, and the frame is presented and/or captured. In a window it also answers the controls:
//   Escape    end (start-up variable 10)       Space     pause / resume picture and music
//   Left      seek 5 s back                    Right     seek 5 s forward
//   Home      restart                          R         reload the script, keep the time
//   F1        the overlay (variable 9)         F11       fullscreen on / off
// and loops at the end when variable 11 asks for it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Backend.h"
#include "capture/Capture.h"
#include "api/Library.h"
#include "platform/RenderTarget.h"
#include "api/Scheduler.h"
#include "audio/Soundtrack.h"
#include "show/Timeline.h"
#include "platform/sdl/WindowUi.h"

struct ShowContext
{
    Backend* backend = nullptr;
    RenderTarget* target = nullptr;     // null without GL
    Scheduler* scheduler = nullptr;
    WindowUi* ui = nullptr;             // the window's UI (overlay); null headless
    Soundtrack* soundtrack = nullptr;
    FrameSink* sink = nullptr;          // the capture; null when not capturing
    std::string captureName;            // for the progress line
    std::string scriptPath;             // the script as read (for reloads)
    int width = 0;
    int height = 0;
    int fpsNumerator = 60;
    int fpsDenominator = 1;
    int64_t startMs = 0;
    int64_t frameLimit = -1;
    bool exactClock = true;             // headless and captures: frame k at start + k / fps
    bool escapeEnds = true;
    bool loop = false;
    bool showOverlay = false;
    int musicVolume = 100;
    bool musicAudible = true;           // sound on: variable 7, the record, --no-music, the dialog
    bool useSoundDevice = false;        // play the music through the sound device (a window)
};

// Plays the show from ctx.startMs to its end (or --frames, Escape, window close). Returns
// kAppRunOk, or kAppRunFailed with the reason on standard error when the capture failed.
int PlayShow(ShowContext& ctx, Timeline timeline);
