// The show loop: clock, timeline, drawing, presenting, capturing and the window's controls.
//
//   1. the clock: exact, the sound device, or a steady clock
//   2. per-frame statistics for the overlay
//   3. PlayShow: the loop, seeks, reloads, the end of the show
#include "show/ShowLoop.h"

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "audio/AudioDevice.h"
#include "capture/FrameReadback.h"
#include "ui/Overlay.h"
#include "support/Profiler.h"
#include "show/ShowClock.h"
#include "show/TimelinePlayer.h"

namespace {

constexpr int64_t kSeekStepMs = 5000;

// ---------------------------------------------------------------------------------------------
// 1. The clock
// ---------------------------------------------------------------------------------------------

struct ClockSource
{
    std::unique_ptr<AudioDevice> device;
    std::unique_ptr<ShowClock> clock;
    bool followsMusic = false;

    void Reset()
    {
        clock.reset();
        device.reset();
        followsMusic = false;
    }
};

// Headless runs and captures use the exact frame clock. In a window the music, when there is
// some and it is to be heard, plays through the sound device and the clock follows it; without
// music or without a device the clock is a steady one.
void MakeClock(const ShowContext& ctx, int64_t startMs, ClockSource* source)
{
    source->Reset();
    if (ctx.exactClock)
    {
        source->clock = std::make_unique<ExactClock>(ctx.fpsNumerator, ctx.fpsDenominator, startMs);
        return;
    }
    if (ctx.useSoundDevice && ctx.musicAudible && ctx.soundtrack->HasMusic())
    {
        auto device = std::make_unique<AudioDevice>();
        std::string error;
        if (device->Open(ctx.soundtrack->Stream(startMs, ctx.musicVolume, true), &error))
        {
            source->device = std::move(device);
            source->clock = std::make_unique<MusicClock>(*source->device);
            source->followsMusic = true;
            return;
        }
        std::fprintf(stderr, "Warning: %s; the show runs silent\n", error.c_str());
    }
    source->clock = std::make_unique<MonotonicClock>(startMs);
}

// ---------------------------------------------------------------------------------------------
// 2. Frame statistics
// ---------------------------------------------------------------------------------------------

class FrameStats
{
public:
    void FrameDone()
    {
        const auto now = std::chrono::steady_clock::now();
        if (m_started)
        {
            const double ms = std::chrono::duration<double, std::milli>(now - m_last).count();
            // A smoothed frame time keeps the numbers readable.
            m_frameMs = m_frameMs <= 0.0 ? ms : m_frameMs * 0.9 + ms * 0.1;
        }
        m_started = true;
        m_last = now;
    }
    double FrameMs() const { return m_frameMs; }
    double FramesPerSecond() const { return m_frameMs > 0.0 ? 1000.0 / m_frameMs : 0.0; }

private:
    bool m_started = false;
    std::chrono::steady_clock::time_point m_last;
    double m_frameMs = 0.0;
};

std::vector<std::string> LayerLines(const Scheduler& scheduler)
{
    std::vector<std::string> lines;
    int currentLayer = 0;
    for (const Scheduler::Running& running : scheduler.RunningInDrawOrder())
    {
        const std::string& name = scheduler.Slots()[running.slot].name;
        if (lines.empty() || running.layer != currentLayer)
        {
            currentLayer = running.layer;
            lines.push_back("layer " + std::to_string(running.layer) + ": " + name);
        }
        else
        {
            lines.back() += " " + name;
        }
    }
    return lines;
}

void Merge(BackendEvents& into, const BackendEvents& more)
{
    into.quit |= more.quit;
    into.escape |= more.escape;
    into.space |= more.space;
    into.left |= more.left;
    into.right |= more.right;
    into.home |= more.home;
    into.reload |= more.reload;
    into.toggleOverlay |= more.toggleOverlay;
    into.toggleFullscreen |= more.toggleFullscreen;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// 3. PlayShow
// ---------------------------------------------------------------------------------------------

int PlayShow(ShowContext& ctx, Timeline timeline)
{
    Backend& backend = *ctx.backend;
    const bool hasGl = ctx.target != nullptr;
    TimelinePlayer player(*ctx.scheduler, std::move(timeline));
    int64_t endMs = ctx.soundtrack->ShowEndMs(player.Script());

    ClockSource source;
    MakeClock(ctx, ctx.startMs, &source);

    std::unique_ptr<CaptureProgress> progress;
    FrameReadback readback;
    if (ctx.sink != nullptr)
    {
        progress = std::make_unique<CaptureProgress>(
            ctx.captureName,
            CaptureFrameCount(ctx.startMs, endMs, ctx.fpsNumerator, ctx.fpsDenominator, ctx.frameLimit));
        if (hasGl)
            readback.Create(ctx.width, ctx.height);
    }

    // The overlay is drawn by the window's Present, over the scaled picture.
    bool overlayOn = ctx.showOverlay && ctx.ui != nullptr;
    OverlayInfo overlay;
    FrameStats stats;
    std::string message;
    auto messageTime = std::chrono::steady_clock::now();
    if (ctx.ui != nullptr)
        backend.SetPresentHook([&] {
            if (overlayOn && ctx.ui->IsReady())
                DrawOverlay(*ctx.ui, overlay);
        });

    bool paused = false;
    bool redraw = false;
    auto seekTo = [&](int64_t targetMs) {
        targetMs = std::clamp<int64_t>(targetMs, 0, std::max<int64_t>(endMs, 0));
        player.SeekTo(targetMs);
        source.clock->Seek(targetMs);
        redraw = true;
    };
    auto notify = [&](const std::string& text) {
        message = text;
        messageTime = std::chrono::steady_clock::now();
    };
    auto reload = [&] {
        Timeline fresh;
        std::string error;
        if (!LoadTimeline(ctx.scriptPath, ctx.scriptPath,
                          [&](const std::string& name) { return ctx.scheduler->HasEffect(name); }, &fresh, &error))
        {
            std::fprintf(stderr, "Error: %s\nThe script was not reloaded; the old one plays on.\n", error.c_str());
            notify("not reloaded: " + error);
            return;
        }
        const int64_t at = player.CurrentTime();
        const bool musicChanged = fresh.musicFile != player.Script().musicFile;
        if (musicChanged)
        {
            source.Reset();
            ctx.soundtrack->Load(fresh, ctx.scriptPath);
        }
        player.Replace(std::move(fresh), at);
        endMs = ctx.soundtrack->ShowEndMs(player.Script());
        if (musicChanged)
        {
            MakeClock(ctx, at, &source);
            source.clock->Start();
            source.clock->SetPaused(paused);
        }
        else
        {
            source.clock->Seek(at);
        }
        std::fprintf(stderr, "Reloaded %s at %s\n", ctx.scriptPath.c_str(), FormatDemoTime(at).c_str());
        notify("reloaded at " + FormatDemoTime(at));
        redraw = true;
    };

    bool writeFailed = false;
    int64_t framesRendered = 0;
    std::vector<uint8_t> frame;
    source.clock->Start();
    for (int64_t frameIndex = 0; ctx.frameLimit < 0 || frameIndex < ctx.frameLimit; ++frameIndex)
    {
        Profiler::BeginFrame(frameIndex);
        BackendEvents events = backend.PollEvents();
        if (Library().testEvents)
            Merge(events, Library().testEvents(frameIndex));
        if (events.quit || (events.escape && ctx.escapeEnds))
            break;
        if (events.space)
        {
            paused = !paused;
            source.clock->SetPaused(paused);
        }
        if (events.home)
            seekTo(0);
        else if (events.left)
            seekTo(player.CurrentTime() - kSeekStepMs);
        else if (events.right)
            seekTo(player.CurrentTime() + kSeekStepMs);
        if (events.reload)
            reload();
        if (events.toggleOverlay && ctx.ui != nullptr)
            overlayOn = !overlayOn;
        if (events.toggleFullscreen)
            backend.SetFullscreen(!backend.IsFullscreen());

        // The effects never see time run backwards between seeks, even when the device clock
        // lands a millisecond short of a seek's target.
        const int64_t now = std::max(source.clock->FrameTime(), player.CurrentTime());
        Profiler::FrameAt(now);
        player.AdvanceTo(now);
        if (player.Ended() || now >= endMs)
        {
            if (ctx.loop && !ctx.exactClock)
            {
                seekTo(0);
                continue;
            }
            break;
        }

        if (ctx.ui != nullptr)
        {
            overlay.framesPerSecond = stats.FramesPerSecond();
            overlay.frameMs = stats.FrameMs();
            overlay.demoTimeMs = now;
            overlay.endTimeMs = endMs;
            overlay.paused = paused;
            overlay.musicClock = source.followsMusic;
            overlay.layers = LayerLines(*ctx.scheduler);
            if (std::chrono::steady_clock::now() - messageTime > std::chrono::seconds(8))
                message.clear();
            overlay.message = message;
        }

        if (paused && !redraw)
        {
            // The last frame stays on screen; nothing is drawn and no effect time passes.
            stats.FrameDone();
            if (hasGl)
                backend.Present(ctx.target->Framebuffer(), ctx.width, ctx.height);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        redraw = false;

        if (hasGl)
            ctx.target->Bind();
        ctx.scheduler->RenderFrame(now);
        if (hasGl && Profiler::Enabled())
        {
            // The frame's time includes its rasterisation only when it is waited for.
            const Profiler::Scope driver(Profiler::kDriver);
            glFinish();
        }
        stats.FrameDone();
        if (!hasGl)
        {
            Profiler::EndFrame();
            continue;
        }
        if (ctx.sink != nullptr)
        {
            // A written frame's buffer, so reading back allocates nothing.
            if (frame.empty())
                frame = ctx.sink->SpareBuffer();
            if (readback.Read(&frame))
            {
                if (!ctx.sink->Write(std::move(frame)))
                {
                    writeFailed = true;
                    break;
                }
                frame.clear();
            }
            ++framesRendered;
            progress->Update(framesRendered);
        }
        {
            const Profiler::Scope driver(Profiler::kDriver);
            backend.Present(ctx.target->Framebuffer(), ctx.width, ctx.height);
        }
        Profiler::EndFrame();
    }

    if (ctx.sink != nullptr && hasGl)
    {
        while (!writeFailed && readback.Drain(&frame))
        {
            if (!ctx.sink->Write(std::move(frame)))
                writeFailed = true;
            frame.clear();
        }
        readback.Destroy();
    }
    backend.SetPresentHook(nullptr);
    ctx.scheduler->StopAll();
    source.Reset();

    if (ctx.sink != nullptr)
    {
        std::string error;
        const bool finished = ctx.sink->Finish(&error);
        progress->Finish(framesRendered);
        if (!finished || writeFailed)
        {
            std::fprintf(stderr, "zarnovelt: %s\n", error.empty() ? "the capture could not be written" : error.c_str());
            return kAppRunFailed;
        }
    }
    return kAppRunOk;
}
