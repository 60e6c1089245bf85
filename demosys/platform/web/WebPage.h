// The browser side of the web platform (WebPlatform.js), as the C++ side calls it. The three
// waiting calls suspend the show's stack until the browser answers (the build rewrites the
// functions on that stack to be resumed: ASYNCIFY, cmake/PlatformWeb.cmake).
#pragma once

#include <cstdint>

// The bits of zarnovelt_web_take_keys.
enum WebKey : int
{
    kWebKeyEscape = 1,
    kWebKeySpace = 2,
    kWebKeyLeft = 4,
    kWebKeyRight = 8,
    kWebKeyHome = 16,
    kWebKeyReload = 32,         // R
    kWebKeyOverlay = 64,        // F1
    kWebKeyFullscreen = 128,    // F11
};

// The start page's answers.
struct WebDialogAnswers
{
    int sound;
    int fullscreen;
    int width;
    int height;
};

extern "C" {

// Waits for the browser's next animation frame.
void zarnovelt_web_wait_frame();
// Lets the browser run its events when 100 ms have passed since it last could.
void zarnovelt_web_yield();
// Shows the start page and waits for Start.
int zarnovelt_web_run_dialog(const char* title, const char* group, int offerSound, int sound, int offerFullscreen,
                             int fullscreen, int width, int height, int autoStartFrames, WebDialogAnswers* answers);

// Starts taking the keys of the page; the keys pressed since the last call, as WebKey bits.
void zarnovelt_web_listen_keys();
int zarnovelt_web_take_keys();

// Sizes the canvas's drawing buffer (fixed, or the page's size times its capped pixel ratio).
void zarnovelt_web_fit_canvas(int fixedWidth, int fixedHeight, int* width, int* height);
// The F1 lines, joined by '\n'; empty hides them.
void zarnovelt_web_set_overlay(const char* text);
void zarnovelt_web_set_fullscreen(int on);
int zarnovelt_web_is_fullscreen();

// Web Audio (WebAudioDevice): 1 when the page's audio context runs.
int zarnovelt_web_audio_open();
// Schedules interleaved 16-bit stereo; returns the context time the chunk starts at.
double zarnovelt_web_audio_queue(const int16_t* stereo, int frames, int rate);
// Seconds scheduled beyond the context's current time.
double zarnovelt_web_audio_ahead();
// The context time being heard now.
double zarnovelt_web_audio_heard();
void zarnovelt_web_audio_pause(int paused);
void zarnovelt_web_audio_stop();
void zarnovelt_web_audio_close();

}
