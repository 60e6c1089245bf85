// The show itself, once the effects are loaded: each frame the clock gives the demo time T,
// every script event with time <= T is applied in file order, the running effects draw in layer
// order, and the frame is presented and/or captured. In a window it also answers the controls:
//   Escape    end (start-up variable 10)       Space     pause / resume picture and music
//   Left      seek 5 s back                    Right     seek 5 s forward
//   Home      restart                          R         reload the script, keep the time
//   F1        the overlay (variable 9)         F11       fullscreen on / off
// and loops at the end when variable 11 asks for it.
//
// One frame, in order: read the controls and act on them (Controls); take the time and apply
// the script up to it (AdvanceTimeline); draw (Draw); hand the frame to the capture
// (CaptureFrame) and to the window (Present).
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Backend.h"
#include "script/Timeline.h"
#include "show/TimelinePlayer.h"
#include "ui/Overlay.h"

class AudioDevice;
class CaptureProgress;
class FrameReadback;
class FrameSink;
class RenderTarget;
class Scheduler;
class ShowClock;
class Soundtrack;

// How this run plays: plain values settled before the show starts.
struct ShowSettings
{
    std::string scriptPath;             // the script as read (for reloads)
    std::string captureName;            // for the progress line
    int captureEvery = 1;               // frames 0, N, 2N, ... go to the capture
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

// What the show plays with: the run's objects, borrowed for the show's length.
struct ShowParts
{
    Backend* backend = nullptr;
    RenderTarget* target = nullptr;     // null without GL
    Scheduler* scheduler = nullptr;
    Soundtrack* soundtrack = nullptr;
    FrameSink* sink = nullptr;          // the capture; null when not capturing
};

class ShowLoop
{
public:
    ShowLoop(const ShowSettings& settings, const ShowParts& parts, Timeline timeline);
    ~ShowLoop();

    // Plays the show from settings.startMs to its end (or the frame limit, Escape, window
    // close). Returns kAppRunOk, or kAppRunFailed with the reason on standard error when the
    // capture failed.
    int Play();

private:
    // The clock for a show starting (or restarting its music) at startMs: exact headless and in
    // captures; in a window the sound device when music is heard, else a steady clock.
    void MakeClock(int64_t startMs);
    void DropClock();

    // Acts on the window's controls; false when the show is to end now.
    bool Controls(const BackendEvents& events);
    void SeekTo(int64_t targetMs);
    void Reload();
    void Notify(const std::string& text);

    // Applies the script up to `now`; false when the show is over (or loops back to 0).
    enum class Advance
    {
        Draw,
        Loop,
        End,
    };
    Advance AdvanceTimeline(int64_t now);

    void UpdateOverlay(int64_t now);
    void Draw(int64_t now);
    // The frame time the overlay shows, smoothed over frames.
    void CountFrame();
    // Reads the frame back into the capture; false when writing failed.
    bool CaptureFrame();
    void Present();
    // Writes what is still in flight and closes the capture; the run's status.
    int Finish();

    ShowSettings m_settings;
    ShowParts m_parts;
    TimelinePlayer m_player;
    int64_t m_endMs = 0;

    std::unique_ptr<AudioDevice> m_device;
    std::unique_ptr<ShowClock> m_clock;
    bool m_clockFollowsMusic = false;

    std::unique_ptr<CaptureProgress> m_progress;
    std::unique_ptr<FrameReadback> m_readback;
    std::vector<uint8_t> m_frame;
    int64_t m_framesRendered = 0;
    bool m_writeFailed = false;

    bool m_paused = false;
    bool m_redraw = false;
    bool m_overlayOn = false;
    std::string m_message;
    std::chrono::steady_clock::time_point m_messageTime;
    std::chrono::steady_clock::time_point m_lastFrameTime;
    bool m_framesCounted = false;
    double m_frameMs = 0.0;     // smoothed, for the overlay
};
