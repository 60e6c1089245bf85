// DEMOGL_AppRun and DEMOGL_AppEnd: one run of the show from start to end.
//
//   1. settle the options (command line, start-up variables, record)
//   2. open the backend (window or headless) and the offscreen framebuffer
//   3. read and validate the timeline script (a bad script does not start)
//   4. loading: Init of every effect in registration order, the loading bar after each
//   5. the show: each frame the clock gives T; every event with time <= T is applied in file
//      order; the running effects draw in layer order; the frame is presented or captured
//   6. End for the effects still running; the capture is finished
#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

#include "Backend.h"
#include "Capture.h"
#include "GlFunctions.h"
#include "Library.h"
#include "LoadingBar.h"
#include "RenderTarget.h"
#include "Scheduler.h"
#include "ShowClock.h"
#include "TextureStore.h"
#include "Timeline.h"

namespace {

int g_lastStatus = kAppRunOk;

struct Session
{
    std::unique_ptr<Backend> backend;
    RenderTarget target;
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

const char* GlErrorName(GLenum error)
{
    switch (error)
    {
    case GL_INVALID_ENUM: return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE: return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION: return "GL_INVALID_OPERATION";
    case GL_STACK_OVERFLOW: return "GL_STACK_OVERFLOW";
    case GL_STACK_UNDERFLOW: return "GL_STACK_UNDERFLOW";
    case GL_OUT_OF_MEMORY: return "GL_OUT_OF_MEMORY";
    default: return "unknown GL error";
    }
}

// Chooses and opens the backend: the window when a display exists and no headless run is asked
// for, otherwise EGL. A window that cannot be opened falls back to headless, with a message.
std::unique_ptr<Backend> OpenBackend(const Options& options, const BackendConfig& config, bool wantWindow,
                                     std::string* error)
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
    (void)options;
    auto headless = CreateEglBackend();
    if (!headless->Open(config, error))
        return nullptr;
    return headless;
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

    // 1. Options.
    int width = 640;
    int height = 480;
    if (options.sizeGiven)
    {
        width = options.width;
        height = options.height;
    }
    else if (record->m_iDefaultResolution >= 0 && record->m_iDefaultResolution < kResolutionCount)
    {
        width = kResolutions[record->m_iDefaultResolution].m_iWidth;
        height = kResolutions[record->m_iDefaultResolution].m_iHeight;
    }
    library.extensionsDisabled = options.noExtensions;
    const bool capturing = !options.capturePath.empty();
    if (capturing && IsVideoPath(options.capturePath))
        return Fail("capture to a video file is not available in this build; give a directory for PNG frames");
    const bool wantWindow = !options.headless && !capturing && DisplayAvailable();
    const bool checkGl = debugMode || options.checkGl;

    // 2. Backend and framebuffer.
    BackendConfig config;
    config.width = width;
    config.height = height;
    config.fullscreen = options.fullscreen >= 0 ? options.fullscreen == 1 : library.variables.fullScreen;
    config.swapInterval = library.variables.swapInterval;
    config.title = std::string(record->m_szDemoName, strnlen(record->m_szDemoName, 256));
    Session& session = CurrentSession();
    std::string error;
    session.backend = OpenBackend(options, config, wantWindow, &error);
    if (!session.backend)
        return Fail("no GL context: " + error);
    library.backend = session.backend.get();
    const bool hasGl = session.backend->HasGl();
    if (hasGl)
    {
        if (!Gl().Load())
            return Fail("the GL context lacks framebuffer objects");
        if (!session.target.Create(width, height, &error))
            return Fail(error);
    }

    // 3. The script.
    const std::string scriptName = options.scriptFile.empty() ? library.variables.scriptFile : options.scriptFile;
    Scheduler scheduler;
    for (const RegisteredEffect& registered : library.effects)
        scheduler.AddEffect(registered.effect, registered.name);
    Timeline timeline;
    if (!LoadTimeline(scriptName, scriptName, [&](const std::string& name) { return scheduler.HasEffect(name); },
                      &timeline, &error))
        return Fail(error);

    if (checkGl && hasGl)
    {
        scheduler.SetCallObserver([](const std::string& effect, const char* call) {
            for (GLenum code = glGetError(); code != GL_NO_ERROR; code = glGetError())
                ReportWarningOnce(std::string("GL error ") + GlErrorName(code) + " after " + effect + " " + call);
        });
    }

    // 4. Loading.
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

    // 5. The show.
    std::unique_ptr<FrameSink> sink;
    if (capturing)
    {
        if (!hasGl)
            return Fail("capture needs a GL context");
        sink = CreatePngDirectorySink(options.capturePath, width, height, &error);
        if (!sink)
            return Fail(error);
    }
    library.running = true;
    const bool exactClock = !session.backend->IsInteractive();
    ShowClock clock(exactClock, options.fpsNumerator, options.fpsDenominator, options.startMs);
    size_t nextEvent = 0;
    bool ended = false;
    bool writeFailed = false;
    std::vector<uint8_t> frame;
    for (int64_t frameIndex = 0; options.frames < 0 || frameIndex < options.frames; ++frameIndex)
    {
        const BackendEvents events = session.backend->PollEvents();
        if (events.quit || (events.escape && library.variables.escapeEnds))
            break;
        const int64_t now = clock.FrameTime(frameIndex);
        while (nextEvent < timeline.events.size() && timeline.events[nextEvent].timeMs <= now)
        {
            const TimelineEvent& event = timeline.events[nextEvent++];
            if (event.command == TimelineCommand::End)
                ended = true;
            else
                scheduler.Apply(event);
        }
        if (ended || now >= timeline.endTimeMs)
            break;
        if (hasGl)
            session.target.Bind();
        scheduler.RenderFrame(now);
        if (!hasGl)
            continue;
        if (sink)
        {
            session.target.ReadUpright(frame);
            if (!sink->Write(std::move(frame)))
            {
                writeFailed = true;
                break;
            }
            frame.clear();
        }
        session.backend->Present(session.target.Framebuffer(), width, height);
    }
    scheduler.StopAll();
    library.running = false;
    if (sink && (!sink->Finish(&error) || writeFailed))
        return Fail(error.empty() ? "the capture could not be written" : error);
    return kAppRunOk;
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
    return g_lastStatus;
}

void DEMOGL_AppEnd()
{
    Session& session = CurrentSession();
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
