// DEMOGL_AppRun and DEMOGL_AppEnd: one run of the show from start to end.
//
//   1. settle the choices (command line, start-up variables, record)
//   2. open the backend (window or headless); in a window, the start-up dialog
//   3. read and validate the timeline script (a bad script does not start) and its music
//   4. the capture, when asked for (before loading, so a missing ffmpeg fails fast)
//   5. loading: Init of every effect in registration order, the loading bar after each; the
//      textures were queued for decoding on worker threads before step 2
//   6. the show (ShowLoop.cpp); End for the effects still running; the capture is finished
//
// ZARNOVELT_DIALOG_AUTOSTART=N (environment) presses the dialog's Start button by itself after
// N frames; the window tests use it to run the dialog under a virtual display.
#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "platform/Backend.h"
#include "capture/Capture.h"
#include "api/GlErrorCheck.h"
#include "platform/GlFunctions.h"
#include "api/Library.h"
#include "ui/LoadingBar.h"
#include "support/Profiler.h"
#include "platform/RasterizerThreads.h"
#include "platform/RenderTarget.h"
#include "api/Scheduler.h"
#include "show/ShowLoop.h"
#include "audio/Soundtrack.h"
#include "ui/StartupDialog.h"
#include "codecs/TexturePredecoder.h"
#include "api/TextureStore.h"
#include "show/Timeline.h"
#include "capture/VideoCapture.h"
#include "platform/sdl/WindowUi.h"

namespace {

int g_lastStatus = kAppRunOk;

struct Session
{
    std::unique_ptr<Backend> backend;
    RenderTarget target;
    WindowUi ui;
};

Session& CurrentSession()
{
    static Session session;
    return session;
}

int Fail(const std::string& reason)
{
    std::fprintf(stderr, "zarnovelt: %s\n", reason.c_str());
    return kAppRunFailed;
}

// Chooses and opens the backend: the window when a display exists and no headless run is asked
// for, otherwise EGL. A window that cannot be opened falls back to headless, with a message.
std::unique_ptr<Backend> OpenBackend(const BackendConfig& config, bool wantWindow, std::string* error)
{
    if (Library().backendKind == BackendKind::Null)
    {
        auto backend = CreateNullBackend();
        backend->Open(config, error);
        return backend;
    }
    if (wantWindow)
    {
        auto window = CreateSdlBackend();
        std::string windowError;
        if (window->Open(config, &windowError))
            return window;
        std::fprintf(stderr, "Warning: no window (%s); rendering headless instead\n", windowError.c_str());
    }
    auto headless = CreateEglBackend();
    if (!headless->Open(config, error))
        return nullptr;
    return headless;
}

// The frames the dialog waits before pressing Start by itself; -1 when nobody asked.
int DialogAutoStartFrames()
{
    const char* value = std::getenv("ZARNOVELT_DIALOG_AUTOSTART");
    if (value == nullptr || *value == '\0')
        return -1;
    char* end = nullptr;
    const long frames = std::strtol(value, &end, 10);
    if (end == nullptr || *end != '\0' || frames < 0 || frames > 100000)
    {
        std::fprintf(stderr, "Warning: ZARNOVELT_DIALOG_AUTOSTART=%s is not a frame count; ignored\n", value);
        return -1;
    }
    return static_cast<int>(frames);
}

// What the run will be, before any dialog: the command line over the start-up variables over
// the record.
StartupChoices InitialChoices(const Options& options, const StartupVariables& variables, const SStartupDat& record)
{
    StartupChoices choices;
    if (options.sizeGiven)
    {
        choices.width = options.width;
        choices.height = options.height;
    }
    else if (record.m_iDefaultResolution >= 0 && record.m_iDefaultResolution < kResolutionCount)
    {
        choices.width = kResolutions[record.m_iDefaultResolution].m_iWidth;
        choices.height = kResolutions[record.m_iDefaultResolution].m_iHeight;
    }
    choices.fullscreen = options.fullscreen >= 0 ? options.fullscreen == 1 : (variables.fullScreen || record.m_bFullScreen);
    choices.sound = variables.playMusic && record.m_bSound && !options.noMusic;
    choices.frameSync = variables.swapInterval == 1 && record.m_bFrameSync;
    return choices;
}

int RunShow(const SStartupDat* record, const char* appId, bool debugMode, unsigned char versionMajor,
            unsigned char versionMinor, int versionBuild)
{
    LibraryState& library = Library();
    const Options options = library.optionsGiven ? library.options : Options{};
    if (record == nullptr)
        return Fail("no start-up record was given");
    std::memcpy(&library.lastStartupRecord, record, sizeof(SStartupDat));
    ++library.appRunCount;
    if (options.showVersion)
    {
        std::printf("%.256s by %.256s, version %u.%u build %d (%s)\n", record->m_szDemoName,
                    record->m_szGroupName, versionMajor, versionMinor, versionBuild,
                    appId != nullptr ? appId : "");
        return kAppRunOk;
    }

    // 1. Choices.
    StartupChoices choices = InitialChoices(options, library.variables, *record);
    library.extensionsDisabled = options.noExtensions;
    const bool capturing = !options.capturePath.empty();
    const bool videoCapture = capturing && IsVideoPath(options.capturePath);
    const bool wantWindow = !options.headless && !capturing && DisplayAvailable();
    const bool checkGl = debugMode || options.checkGl;

    // Opening the context keeps one core busy and the others idle: the textures the effects
    // will load are decoded meanwhile (TexturePredecoder.h). Without GL nothing is loaded.
    TexturePredecoder predecoder;
    if (library.backendKind != BackendKind::Null)
    {
        // Before any driver is loaded (the window's GL and EGL may both be the software
        // rasterizer) and before the decoding threads start, since it changes the environment.
        ChooseRasterizerThreads();
        predecoder.Start(".", std::max(1u, std::thread::hardware_concurrency()));
        TexturePredecoder::SetActive(&predecoder);
    }

    // 2. Backend, dialog and framebuffer.
    BackendConfig config;
    config.width = choices.width;
    config.height = choices.height;
    config.fullscreen = choices.fullscreen;
    config.swapInterval = choices.frameSync ? 1 : 0;
    config.title = std::string(record->m_szDemoName, strnlen(record->m_szDemoName, 256));
    Session& session = CurrentSession();
    std::string error;
    session.backend = OpenBackend(config, wantWindow, &error);
    if (!session.backend)
        return Fail("no GL context: " + error);
    library.backend = session.backend.get();
    const bool hasGl = session.backend->HasGl();
    const bool window = session.backend->IsInteractive();
    if (hasGl && !Gl().Load())
        return Fail("the GL context lacks framebuffer objects");
    Profiler::Mark("GL context");

    // 3. The script, checked before anyone is asked anything.
    const std::string scriptName = options.scriptFile.empty() ? library.variables.scriptFile : options.scriptFile;
    Scheduler scheduler;
    for (const RegisteredEffect& registered : library.effects)
        scheduler.AddEffect(registered.effect, registered.name);
    Timeline timeline;
    if (!LoadTimeline(scriptName, scriptName, [&](const std::string& name) { return scheduler.HasEffect(name); },
                      &timeline, &error))
        return Fail(error);
    Profiler::Mark("script");

    if (window && library.variables.showStartupDialog && !options.noDialog)
    {
        const int autoStartFrames = DialogAutoStartFrames();
        if (RunStartupDialog(*session.backend, session.ui, *record, &choices, autoStartFrames) == DialogOutcome::Quit)
            return kAppRunOk;
        if (autoStartFrames >= 0)
            std::fprintf(stderr, "Start-up dialog: Start pressed by ZARNOVELT_DIALOG_AUTOSTART\n");
        config.width = choices.width;
        config.height = choices.height;
        config.fullscreen = choices.fullscreen;
        config.swapInterval = choices.frameSync ? 1 : 0;
        session.backend->Reconfigure(config);
    }
    if (window)
        session.ui.Init(session.backend->Window());
    const int width = choices.width;
    const int height = choices.height;
    if (hasGl && !session.target.Create(width, height, &error))
        return Fail(error);
    Profiler::Mark("framebuffer");

    Soundtrack soundtrack;
    soundtrack.Load(timeline, scriptName);
    const int volume = record->m_iMusicVolume;
    Profiler::Mark("soundtrack");

    if (checkGl && hasGl)
    {
        scheduler.SetCallObserver([](const std::string& effect, const char* call) {
            for (GLenum code = glGetError(); code != GL_NO_ERROR; code = glGetError())
                ReportWarningOnce(std::string("GL error ") + GlErrorName(code) + " after " + effect + " " + call);
        });
    }

    // 4. The capture.
    std::unique_ptr<FrameSink> sink;
    if (capturing)
    {
        if (!hasGl)
            return Fail("capture needs a GL context");
        if (videoCapture)
        {
            VideoCaptureSettings settings;
            settings.path = options.capturePath;
            settings.width = width;
            settings.height = height;
            settings.fpsNumerator = options.fpsNumerator;
            settings.fpsDenominator = options.fpsDenominator;
            settings.frames = CaptureFrameCount(options.startMs, soundtrack.ShowEndMs(timeline), options.fpsNumerator,
                                                options.fpsDenominator, options.frames);
            sink = CreateVideoSink(settings, soundtrack.Stream(options.startMs, volume, choices.sound), &error);
        }
        else
        {
            sink = CreatePngDirectorySink(options.capturePath, width, height, &error);
        }
        if (!sink)
            return Fail(error);
        Profiler::Mark("capture started");
    }

    // 5. Loading.
    const bool drawBar = hasGl && library.variables.showLoadingBar && library.loadingBar.enabled;
    scheduler.InitAll(width, height, [&](size_t done, size_t total) {
        if (!drawBar)
            return;
        session.target.Bind();
        DrawLoadingBar(library.loadingBar, width, height, done, total);
        session.backend->Present(session.target.Framebuffer(), width, height);
        session.target.Bind();
    });
    if (hasGl)
    {
        // The show starts from a black frame.
        session.target.Bind();
        glViewport(0, 0, width, height);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    TexturePredecoder::SetActive(nullptr);
    predecoder.Stop();
    Profiler::Mark("loading done");

    // 6. The show.
    ShowContext ctx;
    ctx.backend = session.backend.get();
    ctx.target = hasGl ? &session.target : nullptr;
    ctx.scheduler = &scheduler;
    ctx.ui = window && session.ui.IsReady() ? &session.ui : nullptr;
    ctx.soundtrack = &soundtrack;
    ctx.sink = sink.get();
    ctx.captureName = options.capturePath;
    ctx.scriptPath = scriptName;
    ctx.width = width;
    ctx.height = height;
    ctx.fpsNumerator = options.fpsNumerator;
    ctx.fpsDenominator = options.fpsDenominator;
    ctx.startMs = options.startMs;
    ctx.frameLimit = options.frames;
    ctx.exactClock = !window;
    ctx.escapeEnds = library.variables.escapeEnds;
    ctx.loop = library.variables.loopShow;
    ctx.showOverlay = library.variables.showOverlay;
    ctx.musicVolume = volume;
    ctx.musicAudible = choices.sound;
    ctx.useSoundDevice = window;
    library.running = true;
    const int status = PlayShow(ctx, std::move(timeline));
    library.running = false;
    return status;
}

} // namespace

int LastAppRunStatus() { return g_lastStatus; }

int DEMOGL_AppRun(HINSTANCE, const SStartupDat* pStartupDat, const char* pszAppId, bool bDebugMode,
                  unsigned char ucVersionMajor, unsigned char ucVersionMinor, int iVersionBuild)
{
    if (Library().running)
    {
        std::fprintf(stderr, "Error: the show is already running\n");
        return kAppRunFailed;
    }
    g_lastStatus = RunShow(pStartupDat, pszAppId, bDebugMode, ucVersionMajor, ucVersionMinor, iVersionBuild);
    Library().running = false;
    Profiler::Report();
    return g_lastStatus;
}

void DEMOGL_AppEnd()
{
    Session& session = CurrentSession();
    session.ui.Shutdown();
    if (session.backend && session.backend->HasGl())
    {
        ReleaseAllTextures();
        session.target.Destroy();
    }
    if (session.backend)
        session.backend->Close();
    session.backend.reset();
    Library().backend = nullptr;
}
