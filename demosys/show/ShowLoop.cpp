#include "show/ShowLoop.h"

#include <GL/gl.h>

#include <algorithm>
#include <chrono>

#include "DemoGL.h"
#include "api/Scheduler.h"
#include "audio/AudioDevice.h"
#include "audio/Soundtrack.h"
#include "capture/Capture.h"
#include "capture/FrameReadback.h"
#include "platform/RenderTarget.h"
#include "show/ShowClock.h"
#include "support/Profiler.h"
#include "support/Report.h"
#include "support/Threads.h"

namespace {

constexpr int64_t kSeekStepMs = 5000;

// A notice stays on the overlay this long.
constexpr auto kMessageTime = std::chrono::seconds(8);

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

} // namespace

ShowLoop::ShowLoop(const ShowSettings& settings, const ShowParts& parts, Timeline timeline)
    : m_settings(settings), m_parts(parts), m_player(*parts.scheduler, std::move(timeline))
{
    m_endMs = m_parts.soundtrack->ShowEndMs(m_player.Script());
    // The overlay is drawn by the window's Present, over the scaled picture.
    m_overlayOn = m_settings.showOverlay && m_parts.backend->IsInteractive();
}

ShowLoop::~ShowLoop()
{
    m_parts.backend->SetOverlay({});
    DropClock();
}

// ---------------------------------------------------------------------------------------------
// The clock
// ---------------------------------------------------------------------------------------------

void ShowLoop::MakeClock(int64_t startMs)
{
    DropClock();
    if (m_settings.exactClock)
    {
        m_clock = std::make_unique<ExactClock>(m_settings.fpsNumerator, m_settings.fpsDenominator, startMs);
        return;
    }
    if (m_settings.useSoundDevice && m_settings.musicAudible && m_parts.soundtrack->HasMusic())
    {
        std::string error;
        m_device = m_parts.backend->OpenAudio(m_parts.soundtrack->Stream(startMs, m_settings.musicVolume, true), &error);
        if (m_device)
        {
            m_clock = std::make_unique<MusicClock>(*m_device);
            m_clockFollowsMusic = true;
            return;
        }
        ReportWarning(error + "; the show runs silent");
    }
    m_clock = std::make_unique<MonotonicClock>(startMs);
}

void ShowLoop::DropClock()
{
    m_clock.reset();
    m_device.reset();
    m_clockFollowsMusic = false;
}

// ---------------------------------------------------------------------------------------------
// The controls
// ---------------------------------------------------------------------------------------------

bool ShowLoop::Controls(const BackendEvents& events)
{
    if (events.quit || (events.escape && m_settings.escapeEnds))
        return false;
    if (events.space)
    {
        m_paused = !m_paused;
        m_clock->SetPaused(m_paused);
    }
    if (events.home)
        SeekTo(0);
    else if (events.left)
        SeekTo(m_player.CurrentTime() - kSeekStepMs);
    else if (events.right)
        SeekTo(m_player.CurrentTime() + kSeekStepMs);
    if (events.reload)
        Reload();
    if (events.toggleOverlay && m_parts.backend->IsInteractive())
        m_overlayOn = !m_overlayOn;
    if (events.toggleFullscreen)
        m_parts.backend->SetFullscreen(!m_parts.backend->IsFullscreen());
    return true;
}

void ShowLoop::SeekTo(int64_t targetMs)
{
    targetMs = std::clamp<int64_t>(targetMs, 0, std::max<int64_t>(m_endMs, 0));
    m_player.SeekTo(targetMs);
    m_clock->Seek(targetMs);
    m_redraw = true;
}

void ShowLoop::Notify(const std::string& text)
{
    m_message = text;
    m_messageTime = std::chrono::steady_clock::now();
}

void ShowLoop::Reload()
{
    Timeline fresh;
    std::string error;
    const std::string& script = m_settings.scriptPath;
    Scheduler& scheduler = *m_parts.scheduler;
    if (!LoadTimeline(script, script, [&](const std::string& name) { return scheduler.HasEffect(name); }, &fresh,
                      &error))
    {
        ReportError(error + "\nThe script was not reloaded; the old one plays on.");
        Notify("not reloaded: " + error);
        return;
    }
    const int64_t at = m_player.CurrentTime();
    const bool musicChanged = fresh.musicFile != m_player.Script().musicFile;
    if (musicChanged)
    {
        DropClock();
        m_parts.soundtrack->Load(fresh, script);
    }
    m_player.Replace(std::move(fresh), at);
    m_endMs = m_parts.soundtrack->ShowEndMs(m_player.Script());
    if (musicChanged)
    {
        MakeClock(at);
        m_clock->Start();
        m_clock->SetPaused(m_paused);
    }
    else
    {
        m_clock->Seek(at);
    }
    ReportNotice("Reloaded " + script + " at " + FormatDemoTime(at));
    Notify("reloaded at " + FormatDemoTime(at));
    m_redraw = true;
}

// ---------------------------------------------------------------------------------------------
// One frame
// ---------------------------------------------------------------------------------------------

ShowLoop::Advance ShowLoop::AdvanceTimeline(int64_t now)
{
    Profiler::FrameAt(now);
    m_player.AdvanceTo(now);
    if (!m_player.Ended() && now < m_endMs)
        return Advance::Draw;
    if (m_settings.loop && !m_settings.exactClock)
    {
        SeekTo(0);
        return Advance::Loop;
    }
    return Advance::End;
}

void ShowLoop::UpdateOverlay(int64_t now)
{
    if (!m_parts.backend->IsInteractive())
        return;
    if (!m_overlayOn)
    {
        m_parts.backend->SetOverlay({});
        return;
    }
    OverlayInfo info;
    info.frameMs = m_frameMs;
    info.framesPerSecond = m_frameMs > 0.0 ? 1000.0 / m_frameMs : 0.0;
    info.demoTimeMs = now;
    info.endTimeMs = m_endMs;
    info.paused = m_paused;
    info.musicClock = m_clockFollowsMusic;
    info.layers = LayerLines(*m_parts.scheduler);
    if (std::chrono::steady_clock::now() - m_messageTime > kMessageTime)
        m_message.clear();
    info.message = m_message;
    m_parts.backend->SetOverlay(OverlayLines(info));
}

void ShowLoop::Draw(int64_t now)
{
    if (m_parts.target != nullptr)
        m_parts.target->Bind();
    m_parts.scheduler->RenderFrame(now);
    if (m_parts.target != nullptr && Profiler::Enabled())
    {
        // The frame's time includes its rasterisation only when it is waited for.
        const Profiler::Scope driver(Profiler::kDriver);
        glFinish();
    }
    CountFrame();
}

void ShowLoop::CountFrame()
{
    // A smoothed frame time keeps the overlay's numbers readable.
    const auto time = std::chrono::steady_clock::now();
    if (m_framesCounted)
    {
        const double ms = std::chrono::duration<double, std::milli>(time - m_lastFrameTime).count();
        m_frameMs = m_frameMs <= 0.0 ? ms : m_frameMs * 0.9 + ms * 0.1;
    }
    m_framesCounted = true;
    m_lastFrameTime = time;
}

bool ShowLoop::CaptureFrame()
{
    // Frames between the ones kept are drawn as usual (the effects' motion follows every frame)
    // but not read back.
    if (m_framesRendered % std::max(1, m_settings.captureEvery) != 0)
    {
        ++m_framesRendered;
        m_progress->Update(m_framesRendered);
        return true;
    }
    // A written frame's buffer, so reading back allocates nothing.
    if (m_frame.empty())
        m_frame = m_parts.sink->SpareBuffer();
    if (m_readback->Read(&m_frame))
    {
        if (!m_parts.sink->Write(std::move(m_frame)))
            return false;
        m_frame.clear();
    }
    ++m_framesRendered;
    m_progress->Update(m_framesRendered);
    return true;
}

void ShowLoop::Present()
{
    const Profiler::Scope driver(Profiler::kDriver);
    m_parts.backend->Present(m_parts.target->Framebuffer(), m_settings.width, m_settings.height);
}

// ---------------------------------------------------------------------------------------------
// The loop
// ---------------------------------------------------------------------------------------------

int ShowLoop::Play()
{
    const bool hasGl = m_parts.target != nullptr;
    MakeClock(m_settings.startMs);
    if (m_parts.sink != nullptr)
    {
        m_progress = std::make_unique<CaptureProgress>(
            m_settings.captureName, CaptureFrameCount(m_settings.startMs, m_endMs, m_settings.fpsNumerator,
                                                      m_settings.fpsDenominator, m_settings.frameLimit));
        m_readback = std::make_unique<FrameReadback>();
        if (hasGl)
            m_readback->Create(m_settings.width, m_settings.height);
    }

    m_clock->Start();
    m_parts.backend->SetShowPlaying(true);
    for (int64_t frameIndex = 0; m_settings.frameLimit < 0 || frameIndex < m_settings.frameLimit; ++frameIndex)
    {
        Profiler::BeginFrame(frameIndex);
        if (!Controls(m_parts.backend->PollEvents()))
            break;

        // The effects never see time run backwards between seeks, even when the device clock
        // lands a millisecond short of a seek's target.
        const int64_t now = std::max(m_clock->FrameTime(), m_player.CurrentTime());
        const Advance advance = AdvanceTimeline(now);
        if (advance == Advance::End)
            break;
        if (advance == Advance::Loop)
            continue;
        UpdateOverlay(now);

        if (m_paused && !m_redraw)
        {
            // The last frame stays on screen; nothing is drawn and no effect time passes.
            CountFrame();
            if (hasGl)
                Present();
            RestWhilePaused();
            continue;
        }
        m_redraw = false;

        Draw(now);
        if (!hasGl)
        {
            Profiler::EndFrame();
            continue;
        }
        if (m_parts.sink != nullptr && !CaptureFrame())
        {
            m_writeFailed = true;
            break;
        }
        Present();
        Profiler::EndFrame();
    }
    return Finish();
}

int ShowLoop::Finish()
{
    m_parts.backend->SetShowPlaying(false);
    if (m_parts.sink != nullptr && m_parts.target != nullptr)
    {
        while (!m_writeFailed && m_readback->Drain(&m_frame))
        {
            if (!m_parts.sink->Write(std::move(m_frame)))
                m_writeFailed = true;
            m_frame.clear();
        }
        m_readback->Destroy();
    }
    m_parts.backend->SetOverlay({});
    m_parts.scheduler->StopAll();
    DropClock();

    if (m_parts.sink == nullptr)
        return kAppRunOk;
    std::string error;
    const bool finished = m_parts.sink->Finish(&error);
    m_progress->Finish(m_framesRendered);
    if (!finished || m_writeFailed)
    {
        ReportFailure(error.empty() ? "the capture could not be written" : error);
        return kAppRunFailed;
    }
    return kAppRunOk;
}
