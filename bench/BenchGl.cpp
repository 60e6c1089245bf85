// The benchmark's in-process GL work: the context, the effects timed alone, the plain capture
// loop.
#include "BenchGl.h"

#include <GL/gl.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

#include "BenchSupport.h"
#include "DemoGL.h"
#include "EffectTable.h"
#include "api/Library.h"
#include "capture/FrameReadback.h"
#include "GlTestContext.h"
#include "platform/RasterizerThreads.h"
#include "api/Scheduler.h"
#include "audio/Soundtrack.h"
#include "api/TextureStore.h"
#include "script/Timeline.h"
#include "show/TimelinePlayer.h"
#include "capture/VideoCapture.h"

extern char** environ;

namespace {

std::string GlString(GLenum name)
{
    if (!GlTestContext::IsOpen())
        return {};
    const auto* text = reinterpret_cast<const char*>(glGetString(name));
    return text != nullptr ? text : "";
}

// A parameter setting: the script's integers, in order, sent after Init.
struct Setting
{
    std::string label;
    std::vector<std::pair<std::string, int>> ints;
};

// The candidate settings of each effect; the heaviest one is measured.
std::vector<Setting> CandidateSettings(const std::string& effect)
{
    if (effect == "CLEAR")
        return {{"METHOD 0 (clear)", {{"METHOD", 0}}},
                {"METHOD 1 (trail)", {{"METHOD", 1}}},
                {"METHOD 2 (fade up)", {{"METHOD", 2}}},
                {"METHOD 3 (fade down)", {{"METHOD", 3}}}};
    if (effect == "BACKGROUND")
        return {{"BGIMAGE 0", {{"BGIMAGE", 0}}}, {"BGIMAGE 1", {{"BGIMAGE", 1}}}, {"BGIMAGE 2", {{"BGIMAGE", 2}}}};
    if (effect == "IMAGE")
        return {{"HP_GLOW", {{"HP_GLOW", 1}}}, {"GREETZ1", {{"GREETZ1", 1}}}, {"GREETZ2", {{"GREETZ2", 1}}}};
    if (effect == "CREDITS")
        return {{"CODING 1, QV 1", {{"CODING", 1}, {"QV", 1}}}};
    if (effect == "KAOS")
    {
        std::vector<Setting> settings;
        for (int hammer = 1; hammer <= 3; ++hammer)
            for (int cube = 1; cube <= 2; ++cube)
                settings.push_back({"all layers, HAMMER " + std::to_string(hammer) + ", TCUBE " + std::to_string(cube),
                                    {{"SL", 1},
                                     {"SR", 1},
                                     {"QLG", 1},
                                     {"FH", 1},
                                     {"HAMMER", hammer},
                                     {"TCUBE", cube},
                                     {"HEAD", 1}}});
        return settings;
    }
    return {{"(no parameters)", {}}};
}

// Times `count` frames of an effect, continuing its effect time from *frame; one sample each.
std::vector<double> TimeFrames(CEffect& effect, int width, int height, int count, int64_t* frame)
{
    std::vector<double> samples;
    for (int i = 0; i < count; ++i, ++*frame)
    {
        GlTestContext::Bind();
        glViewport(0, 0, width, height);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glFinish();
        const auto start = std::chrono::steady_clock::now();
        effect.RenderFrame(static_cast<long>(*frame * 1000 / 60));
        glFinish();
        samples.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return samples;
}

// A fresh effect in a setting, initialised and prepared, as the script would start it.
std::unique_ptr<CEffect> StartEffect(const EffectTableEntry& entry, const Setting& setting, int width, int height)
{
    // The context is open by now; this binds the framebuffer and puts the GL state back.
    std::string error;
    if (!OpenBenchContext(width, height, &error))
        return nullptr;
    std::unique_ptr<CEffect> effect(entry.factory());
    if (effect->Init(width, height) != 0)
        return nullptr;
    for (const auto& [name, value] : setting.ints)
    {
        std::vector<char> writable(name.begin(), name.end());
        writable.push_back('\0');
        effect->ReceiveInt(writable.data(), value, 0);
    }
    effect->Prepare();
    return effect;
}

void StopEffect(std::unique_ptr<CEffect> effect)
{
    effect->End();
    effect.reset();
    // Each effect loads its own textures; the next one does not need them.
    Library().textures.ReleaseAll();
}

} // namespace

bool OpenBenchContext(int width, int height, std::string* error)
{
    // The same rasterizer threads as the demo gets (only the first call sets them).
    ChooseRasterizerThreads();
    return GlTestContext::Create(width, height, error);
}

std::string GlRenderer() { return GlString(GL_RENDERER); }
std::string GlVersion() { return GlString(GL_VERSION); }

std::vector<EffectTiming> BenchEffects(int width, int height, const EffectBenchSettings& settings)
{
    std::vector<EffectTiming> timings;
    std::string error;
    if (!OpenBenchContext(width, height, &error))
    {
        Progress("no GL context: " + error);
        return timings;
    }
    for (const EffectTableEntry& entry : kEffectTable)
    {
        if (!settings.only.empty() &&
            std::find(settings.only.begin(), settings.only.end(), entry.name) == settings.only.end())
            continue;
        const std::vector<Setting> candidates = CandidateSettings(entry.name);
        // The heaviest candidate by median frame time over a short run.
        size_t heaviest = 0;
        if (candidates.size() > 1)
        {
            double heaviestMs = -1.0;
            for (size_t i = 0; i < candidates.size(); ++i)
            {
                std::unique_ptr<CEffect> effect = StartEffect(entry, candidates[i], width, height);
                if (!effect)
                    continue;
                int64_t frame = 0;
                TimeFrames(*effect, width, height, settings.warmupFrames, &frame);
                const double median = Median(TimeFrames(*effect, width, height, settings.screeningFrames, &frame));
                if (median > heaviestMs)
                {
                    heaviestMs = median;
                    heaviest = i;
                }
                StopEffect(std::move(effect));
            }
        }
        std::unique_ptr<CEffect> effect = StartEffect(entry, candidates[heaviest], width, height);
        if (!effect)
        {
            Progress(std::string(entry.name) + ": Init failed; not measured");
            continue;
        }
        Progress(std::string(entry.name) + " at " + std::to_string(width) + "x" + std::to_string(height) + ", " +
                 candidates[heaviest].label);
        int64_t frame = 0;
        TimeFrames(*effect, width, height, settings.warmupFrames, &frame);
        std::vector<double> all;
        std::vector<double> repetitionMedians;
        for (int r = 0; r < settings.repetitions; ++r)
        {
            const std::vector<double> samples = TimeFrames(*effect, width, height, settings.framesPerRepetition, &frame);
            repetitionMedians.push_back(Median(samples));
            all.insert(all.end(), samples.begin(), samples.end());
        }
        StopEffect(std::move(effect));
        EffectTiming timing;
        timing.effect = entry.name;
        timing.setting = candidates[heaviest].label;
        timing.candidates = static_cast<int>(candidates.size());
        timing.frames = static_cast<int>(all.size());
        timing.p50Ms = Median(all);
        timing.p99Ms = P99(all);
        timing.maxMs = Max(all);
        timing.repetitionSpreadMs = Max(repetitionMedians) - *std::min_element(repetitionMedians.begin(), repetitionMedians.end());
        timings.push_back(timing);
    }
    return timings;
}

ReadbackTiming BenchReadback(int width, int height, int frames)
{
    ReadbackTiming timing;
    std::string error;
    if (!OpenBenchContext(width, height, &error))
        return timing;
    // Something on the frame, so nothing can be skipped for an untouched buffer.
    auto draw = [&](int k) {
        GlTestContext::Bind();
        glClearColor(0.1f * static_cast<float>(k % 10), 0.2f, 0.3f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glBegin(GL_TRIANGLES);
        glColor3f(1, 0, 0);
        glVertex2f(-1, -1);
        glColor3f(0, 1, 0);
        glVertex2f(1, -1);
        glColor3f(0, 0, 1);
        glVertex2f(0, 1);
        glEnd();
        glFinish();
    };
    auto since = [](std::chrono::steady_clock::time_point start) {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    std::vector<double> direct;
    std::vector<double> pbo;
    std::vector<uint8_t> frame;
    FrameReadback readback;
    readback.Create(width, height, ReadbackMode::PixelBuffers);
    // Interleaved, with a few frames of warm-up for each, so both meet the same machine.
    for (int k = 0; k < frames + 3; ++k)
    {
        draw(k);
        auto start = std::chrono::steady_clock::now();
        frame.resize(static_cast<size_t>(width) * height * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, frame.data());
        if (k >= 3)
            direct.push_back(since(start));
        draw(k);
        start = std::chrono::steady_clock::now();
        readback.Read(&frame);
        if (k >= 3)
            pbo.push_back(since(start));
    }
    while (readback.Drain(&frame))
    {
    }
    readback.Destroy();
    timing.directMs = Median(direct);
    timing.pboMs = Median(pbo);
    return timing;
}

// ---------------------------------------------------------------------------------------------
// The plain capture loop
// ---------------------------------------------------------------------------------------------

namespace {

// The library's command for the same capture, fed as a plain loop feeds it: upright BGRA frames
// that ffmpeg's scaler converts (the library's writer converts them before the pipe).
std::vector<std::string> PlainLoopArguments(const VideoCaptureSettings& video, int sampleRate, bool encoderAsBefore)
{
    std::vector<std::string> arguments = FfmpegArguments(video, sampleRate);
    // The first -pix_fmt is the input's.
    auto input = std::find(arguments.begin(), arguments.end(), "-pix_fmt");
    input[1] = "bgra";
    if (encoderAsBefore)
    {
        const auto encoder = std::find(arguments.begin(), arguments.end(), "-c:v");
        const auto end = encoder + static_cast<std::ptrdiff_t>(VideoEncoderArguments(video.path, video.quality).size());
        const auto at = arguments.erase(encoder, end);
        arguments.insert(at, {"-c:v", "libx264", "-preset", "fast", "-crf", "18", "-pix_fmt", "yuv420p"});
    }
    return arguments;
}

} // namespace

int RunPlainCapture(const PlainCaptureSettings& settings)
{
    const int width = settings.width;
    const int height = settings.height;
    if (width % 2 != 0 || height % 2 != 0)
    {
        std::fprintf(stderr, "plain capture: %dx%d: even sizes only\n", width, height);
        return 1;
    }
    std::string error;
    if (!OpenBenchContext(width, height, &error))
    {
        std::fprintf(stderr, "plain capture: no GL context: %s\n", error.c_str());
        return 1;
    }
    Scheduler scheduler;
    std::vector<std::unique_ptr<CEffect>> effects;
    for (const EffectTableEntry& entry : kEffectTable)
    {
        effects.emplace_back(entry.factory());
        scheduler.AddEffect(effects.back().get(), entry.name);
    }
    Timeline timeline;
    if (!LoadTimeline("demoflow.txt", "demoflow.txt", [&](const std::string& name) { return scheduler.HasEffect(name); },
                      &timeline, &error))
    {
        std::fprintf(stderr, "plain capture: %s\n", error.c_str());
        return 1;
    }
    Soundtrack soundtrack;
    soundtrack.Load(timeline, "demoflow.txt");
    std::unique_ptr<MusicStream> music = soundtrack.Stream(settings.startMs, 90, true);

    VideoCaptureSettings video;
    video.path = settings.path;
    video.width = width;
    video.height = height;
    video.fpsNumerator = settings.fps;
    video.fpsDenominator = 1;
    video.frames = settings.frames;
    video.quality = settings.quality;
    const std::string ffmpeg = FindProgram("ffmpeg");
    if (ffmpeg.empty())
    {
        std::fprintf(stderr, "plain capture: ffmpeg not found\n");
        return 1;
    }
    std::vector<std::string> arguments = PlainLoopArguments(video, music->SampleRate(), settings.encoderAsBefore);
    arguments.insert(arguments.begin(), ffmpeg);
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    int videoPipe[2];
    int audioPipe[2];
    if (pipe2(videoPipe, O_CLOEXEC) != 0 || pipe2(audioPipe, O_CLOEXEC) != 0)
        return 1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, videoPipe[0], 0);
    posix_spawn_file_actions_adddup2(&actions, audioPipe[0], 3);
    pid_t pid = -1;
    if (posix_spawn(&pid, ffmpeg.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        return 1;
    posix_spawn_file_actions_destroy(&actions);
    close(videoPipe[0]);
    close(audioPipe[0]);
    signal(SIGPIPE, SIG_IGN);

    // The soundtrack at its own pace, as the library's capture writes it.
    std::thread audio([&] {
        const int64_t total = SamplesForFrames(settings.frames, music->SampleRate(), settings.fps, 1);
        std::vector<int16_t> buffer(2 * 4096);
        for (int64_t written = 0; written < total;)
        {
            const size_t chunk = static_cast<size_t>(std::min<int64_t>(total - written, 4096));
            music->Render(buffer.data(), chunk);
            if (!WriteAll(audioPipe[1], reinterpret_cast<const uint8_t*>(buffer.data()), chunk * 2 * sizeof(int16_t)))
                break;
            written += static_cast<int64_t>(chunk);
        }
        close(audioPipe[1]);
    });

    scheduler.InitAll(width, height, {});
    GlTestContext::Bind();
    glViewport(0, 0, width, height);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    TimelinePlayer player(scheduler, timeline);
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    std::vector<uint8_t> frame(rowBytes * height);
    std::vector<uint8_t> upright(frame.size());
    bool ok = true;
    for (int64_t k = 0; k < settings.frames && ok; ++k)
    {
        const int64_t now = settings.startMs + k * 1000 / settings.fps;
        player.AdvanceTo(now);
        GlTestContext::Bind();
        scheduler.RenderFrame(now);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, frame.data());
        for (int row = 0; row < height; ++row)
            std::memcpy(upright.data() + rowBytes * row, frame.data() + rowBytes * (height - 1 - row), rowBytes);
        ok = WriteAll(videoPipe[1], upright.data(), upright.size());
    }
    close(videoPipe[1]);
    audio.join();
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR)
    {
    }
    scheduler.StopAll();
    if (!ok || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    {
        std::fprintf(stderr, "plain capture: ffmpeg failed\n");
        return 1;
    }
    return 0;
}
