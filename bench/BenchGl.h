// The benchmark's own GL work, in this process: a headless context with the show's render
// target, the show's fifteen effects, each effect's RenderFrame timed alone, and the plain
// capture loop the library's video capture is compared with.
#pragma once

#include <string>
#include <vector>

#include "capture/VideoQuality.h"

// Makes the headless context current (once per process) with a render target of width x
// height bound and GL state back to its defaults. The library's backend is set to it, so
// effects load textures as in the show. False with a reason.
bool OpenBenchContext(int width, int height, std::string* error);

// GL_RENDERER and GL_VERSION of the benchmark's context ("" before it is open).
std::string GlRenderer();
std::string GlVersion();

struct EffectBenchSettings
{
    int warmupFrames = 30;
    int screeningFrames = 30;   // per candidate parameter setting, to find the heaviest
    int repetitions = 5;
    int framesPerRepetition = 60;
    std::vector<std::string> only;   // effect names; empty: all
};

struct EffectTiming
{
    std::string effect;
    std::string setting;            // the heaviest of the candidate settings
    int candidates = 0;
    int frames = 0;
    double p50Ms = 0.0;
    double p99Ms = 0.0;
    double maxMs = 0.0;
    double repetitionSpreadMs = 0.0;   // largest minus smallest median of the repetitions
};

// Each effect's RenderFrame followed by glFinish, alone on a cleared frame, at 60 frames per
// second of effect time, in its heaviest parameter setting.
std::vector<EffectTiming> BenchEffects(int width, int height, const EffectBenchSettings& settings);

struct ReadbackTiming
{
    double directMs = 0.0;   // glReadPixels into memory, per frame (median)
    double pboMs = 0.0;      // through the library's pixel-buffer ring, per frame (median)
};

// The render thread's cost of reading a finished frame back: a plain glReadPixels into client
// memory against the library's FrameReadback (a read into a pixel-buffer object, the copy out
// of an earlier one). The frame is drawn and finished before the clock starts.
ReadbackTiming BenchReadback(int width, int height, int frames);

struct PlainCaptureSettings
{
    std::string path;    // .mp4, .mkv or .webm
    int width = 640;
    int height = 480;
    int64_t startMs = 0;
    int64_t frames = 60;
    int fps = 60;
    VideoQuality quality = VideoQuality::Good;
    bool encoderAsBefore = false;   // x264 preset fast, CRF 18, its own thread count: the capture's
                                    // encoder before --video-quality
};

// The show's frames rendered, read back with a plain glReadPixels, turned upright and written
// as BGRA to ffmpeg, whose scaler converts them, one after another on this thread (the
// soundtrack from a second thread, as the library does). The encoder is the capture's for the
// same quality. Even sizes only. Returns the process exit status.
int RunPlainCapture(const PlainCaptureSettings& settings);
