#include "show/ShowRun.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <thread>

#include "api/Library.h"
#include "capture/Capture.h"
#include "capture/VideoCapture.h"
#include "platform/CurrentContext.h"
#include "platform/GlFunctions.h"
#include "platform/RasterizerThreads.h"
#include "platform/UserFolders.h"
#include "show/ShowLoop.h"
#include "support/Profiler.h"
#include "support/Report.h"
#include "support/Threads.h"
#include "show/DialogSettings.h"
#include "ui/LoadingBar.h"

#ifdef ZARNOVELT_GLES
#include "fixedfunction/FixedFunction.h"
#endif

#ifndef ZARNOVELT_VERSION
#define ZARNOVELT_VERSION "unknown"
#endif

namespace {

// What --version says the frames are drawn with.
const char* GraphicsDescription()
{
#ifdef ZARNOVELT_GLES
    return FixedFunctionDescription();
#else
    return "the driver's OpenGL 1.1";
#endif
}

std::string RecordText(const char* text) { return std::string(text, strnlen(text, 256)); }

int Fail(const std::string& reason)
{
    ReportFailure(reason);
    return kAppRunFailed;
}

} // namespace

ShowRun::ShowRun(LibraryState& library, const RunArguments& arguments) : m_library(library), m_arguments(arguments)
{
    // The record is read here once; the program keeps its own in place until AppEnd anyway.
    std::memcpy(&m_record, arguments.record, sizeof(SStartupDat));
}

ShowRun::~ShowRun() { Close(); }

// ---------------------------------------------------------------------------------------------
// 1. Choices
// ---------------------------------------------------------------------------------------------

StartupChoices ShowRun::InitialChoices() const
{
    const Options& options = m_library.options;
    const StartupVariables& variables = m_library.variables;
    StartupChoices choices;
    if (options.sizeGiven)
    {
        choices.width = options.width;
        choices.height = options.height;
    }
    else if (m_record.m_iDefaultResolution >= 0 && m_record.m_iDefaultResolution < kResolutionCount)
    {
        choices.width = kResolutions[m_record.m_iDefaultResolution].m_iWidth;
        choices.height = kResolutions[m_record.m_iDefaultResolution].m_iHeight;
    }
    choices.fullscreen =
        options.fullscreen >= 0 ? options.fullscreen == 1 : (variables.fullScreen || m_record.m_bFullScreen);
    choices.sound = variables.playMusic && m_record.m_bSound && !options.noMusic;
    choices.frameSync = variables.swapInterval == 1 && m_record.m_bFrameSync;
    return choices;
}

BackendConfig ShowRun::ConfigFor(const StartupChoices& choices) const
{
    BackendConfig config;
    config.width = choices.width;
    config.height = choices.height;
    config.fullscreen = choices.fullscreen;
    config.swapInterval = choices.frameSync ? 1 : 0;
    config.title = RecordText(m_record.m_szDemoName);
    config.colourBits = m_record.m_b32BitColour ? 32 : 16;
    config.depthBuffer = m_record.m_bDepthBuffer;
    config.stencilBuffer = m_record.m_bStencilBuffer;
    config.displayIndex = m_record.m_iDisplayIndex;
    config.alwaysOnTop = m_record.m_bAlwaysOnTop;
    return config;
}

// ---------------------------------------------------------------------------------------------
// 2. Backend and dialog
// ---------------------------------------------------------------------------------------------

// The window when one is wanted and a display exists, otherwise headless. A window that cannot
// be opened falls back to headless, with a message.
bool ShowRun::OpenBackend(const BackendConfig& config, bool wantWindow, std::string* error)
{
    const BackendRole role = wantWindow && WindowAvailable() ? BackendRole::Window : BackendRole::Headless;
    m_backend = CreateBackend(role);
    if (m_backend && m_backend->HasGl())
    {
        // Before any driver is loaded (the window's GL and EGL may both be the software
        // rasterizer) and before the decoding threads start, since it changes the environment.
        ChooseRasterizerThreads();
        // Opening the context keeps one core busy and the others idle: the textures the effects
        // will load are decoded meanwhile (TexturePredecoder.h); without threads each is decoded
        // when its effect loads it, by the ordinary load.
        const unsigned workers = WorkerThreads(std::max(1u, std::thread::hardware_concurrency()));
        if (workers > 0)
        {
            m_predecoder.Start(".", workers);
            m_library.textures.SetPredecoder(&m_predecoder);
        }
    }
    std::string windowError = "no window backend";
    if (m_backend && m_backend->Open(config, role == BackendRole::Window ? &windowError : error))
        return true;
    if (role == BackendRole::Headless)
    {
        m_backend.reset();
        return false;
    }
    ReportWarning("no window (" + windowError + "); rendering headless instead");
    m_backend = CreateBackend(BackendRole::Headless);
    if (m_backend && m_backend->Open(config, error))
        return true;
    m_backend.reset();
    return false;
}

bool ShowRun::AskPerson(StartupChoices* choices)
{
    const bool remember = m_record.m_bRememberSettings;
    const std::string settingsPath = remember ? DialogSettingsPath(m_arguments.applicationId) : "";
    if (remember)
    {
        // The remembered choices, under what the command line settled.
        StartupChoices remembered = *choices;
        LoadDialogSettings(settingsPath, &remembered);
        const Options& options = m_library.options;
        if (!options.sizeGiven)
        {
            choices->width = remembered.width;
            choices->height = remembered.height;
        }
        if (options.fullscreen < 0)
            choices->fullscreen = remembered.fullscreen;
        if (!options.noMusic)
            choices->sound = remembered.sound && m_library.variables.playMusic;
        choices->frameSync = remembered.frameSync;
    }
    const int autoStartFrames = DialogAutoStartFromEnvironment();
    const StartupDialogModel model = MakeStartupDialog(m_record, *choices, autoStartFrames);
    if (m_backend->RunStartupDialog(model, choices) == DialogOutcome::Quit)
        return false;
    if (autoStartFrames >= 0)
        ReportNotice("Start-up dialog: Start pressed by ZARNOVELT_DIALOG_AUTOSTART");
    std::string error;
    if (remember && !SaveDialogSettings(settingsPath, *choices, &error))
        ReportWarning(error + "; the choices are not remembered");
    return true;
}

// ---------------------------------------------------------------------------------------------
// 4. The capture
// ---------------------------------------------------------------------------------------------

bool ShowRun::StartCapture(const StartupChoices& choices, std::string* error)
{
    const Options& options = m_library.options;
    if (!m_backend->HasGl())
    {
        *error = "capture needs a GL context";
        return false;
    }
    if (IsVideoPath(options.capturePath))
    {
        VideoCaptureSettings settings;
        settings.path = options.capturePath;
        settings.width = choices.width;
        settings.height = choices.height;
        settings.fpsNumerator = options.fpsNumerator;
        settings.fpsDenominator = options.fpsDenominator;
        settings.quality = options.videoQuality;
        settings.frames = CaptureFrameCount(options.startMs, m_soundtrack.ShowEndMs(m_timeline), options.fpsNumerator,
                                            options.fpsDenominator, options.frames);
        m_sink = CreateVideoSink(settings, m_soundtrack.Stream(options.startMs, m_record.m_iMusicVolume, choices.sound),
                                 error);
    }
    else
    {
        m_sink = CreatePngDirectorySink(options.capturePath, choices.width, choices.height, error, options.captureEvery);
    }
    if (!m_sink)
        return false;
    Profiler::Mark("capture started");
    return true;
}

// ---------------------------------------------------------------------------------------------
// 5. Loading
// ---------------------------------------------------------------------------------------------

void ShowRun::Load(int width, int height)
{
    const bool hasGl = m_backend->HasGl();
    const bool drawBar = hasGl && m_library.variables.showLoadingBar && m_library.loadingBar.enabled;
    m_scheduler.InitAll(width, height, [&](size_t done, size_t total) {
        if (!drawBar)
            return;
        m_target.Bind();
        DrawLoadingBar(m_library.loadingBar, width, height, done, total);
        m_backend->Present(m_target.Framebuffer(), width, height);
        m_target.Bind();
    });
    if (hasGl)
    {
        // The show starts from a black frame.
        m_target.Bind();
        glViewport(0, 0, width, height);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    m_library.textures.SetPredecoder(nullptr);
    m_predecoder.Stop();
    Profiler::Mark("loading done");
}

// ---------------------------------------------------------------------------------------------
// The run
// ---------------------------------------------------------------------------------------------

int ShowRun::Play()
{
    const Options& options = m_library.options;
    if (m_library.variables.writeLogFile)
    {
        const std::string folder = UserStateFolder();
        std::string error = "there is no folder for the log file";
        const std::string path =
            folder.empty() ? "" : (std::filesystem::path(folder) / (ApplicationFileName(m_arguments.applicationId) + ".log")).string();
        m_logOpen = !path.empty() && OpenReportLog(path, &error);
        if (!m_logOpen)
            ReportWarning(error + "; messages go to standard error only");
    }

    // 1. Choices.
    StartupChoices choices = InitialChoices();
    const bool capturing = !options.capturePath.empty();
    const bool wantWindow = !options.headless && !capturing;

    // 2. Backend, dialog and framebuffer.
    std::string error;
    if (!OpenBackend(ConfigFor(choices), wantWindow, &error))
        return Fail("no GL context: " + error);
    SetCurrentBackend(m_backend.get());
    const bool hasGl = m_backend->HasGl();
    const bool window = m_backend->IsInteractive();
    if (hasGl && !Gl().Load())
        return Fail("the GL context lacks framebuffer objects");
    Profiler::Mark("GL context");

    // 3. The script, checked before anyone is asked anything.
    m_scriptName = options.scriptFile.empty() ? m_library.variables.scriptFile : options.scriptFile;
    for (const RegisteredEffect& registered : m_library.effects)
        m_scheduler.AddEffect(registered.effect, registered.name);
    if (!LoadTimeline(m_scriptName, m_scriptName, [&](const std::string& name) { return m_scheduler.HasEffect(name); },
                      &m_timeline, &error))
        return Fail(error);
    Profiler::Mark("script");

    if (window && m_library.variables.showStartupDialog && !options.noDialog)
    {
        if (!AskPerson(&choices))
            return kAppRunOk;
        m_backend->Reconfigure(ConfigFor(choices));
    }
    RenderTargetFormat format;
    format.colourBits = m_record.m_b32BitColour ? 32 : 16;
    format.depth = m_record.m_bDepthBuffer;
    format.stencil = m_record.m_bStencilBuffer;
    if (hasGl && !m_target.Create(choices.width, choices.height, format, &error))
        return Fail(error);
    Profiler::Mark("framebuffer");

    m_soundtrack.Load(m_timeline, m_scriptName);
    Profiler::Mark("soundtrack");
    m_scheduler.SetGlAudit(m_arguments.debugMode || options.checkGl);

    // 4. The capture.
    if (capturing && !StartCapture(choices, &error))
        return Fail(error);

    // 5. Loading.
    Load(choices.width, choices.height);

    // 6. The show.
    ShowSettings settings;
    settings.scriptPath = m_scriptName;
    settings.captureName = options.capturePath;
    settings.captureEvery = options.captureEvery;
    settings.width = choices.width;
    settings.height = choices.height;
    settings.fpsNumerator = options.fpsNumerator;
    settings.fpsDenominator = options.fpsDenominator;
    settings.startMs = options.startMs;
    settings.frameLimit = options.frames;
    settings.exactClock = !window;
    settings.escapeEnds = m_library.variables.escapeEnds;
    settings.loop = m_library.variables.loopShow;
    settings.showOverlay = m_library.variables.showOverlay;
    settings.musicVolume = m_record.m_iMusicVolume;
    settings.musicAudible = choices.sound;
    settings.useSoundDevice = window;
    ShowParts parts;
    parts.backend = m_backend.get();
    parts.target = hasGl ? &m_target : nullptr;
    parts.scheduler = &m_scheduler;
    parts.soundtrack = &m_soundtrack;
    parts.sink = m_sink.get();
    ShowLoop loop(settings, parts, std::move(m_timeline));
    const int status = loop.Play();
    m_sink.reset();
    return status;
}

void ShowRun::Close()
{
    m_library.textures.SetPredecoder(nullptr);
    m_predecoder.Stop();
    m_sink.reset();
    if (m_backend)
    {
        if (m_backend->HasGl())
        {
            m_library.textures.ReleaseAll();
            m_target.Destroy();
        }
        if (CurrentBackend() == m_backend.get())
            SetCurrentBackend(nullptr);
        m_backend->Close();
        m_backend.reset();
    }
    if (m_logOpen)
        CloseReportLog();
    m_logOpen = false;
}

// ---------------------------------------------------------------------------------------------
// The public functions
// ---------------------------------------------------------------------------------------------

int DEMOGL_AppRun(HINSTANCE, const SStartupDat* pStartupDat, const char* pszAppId, bool bDebugMode,
                  unsigned char ucVersionMajor, unsigned char ucVersionMinor, int iVersionBuild)
{
    LibraryState& library = Library();
    if (library.showPlaying)
    {
        ReportError("the show is already running");
        return kAppRunFailed;
    }
    int status = kAppRunOk;
    const std::string applicationId = pszAppId != nullptr ? pszAppId : "";
    if (pStartupDat == nullptr)
    {
        status = Fail("no start-up record was given");
    }
    else if (library.options.showVersion)
    {
        std::printf("%.256s by %.256s, version %u.%u build %d (%s)\nzarnovelt %s\ndrawn with %s\n",
                    pStartupDat->m_szDemoName, pStartupDat->m_szGroupName, ucVersionMajor, ucVersionMinor,
                    iVersionBuild, applicationId.c_str(), ZARNOVELT_VERSION, GraphicsDescription());
    }
    else
    {
        // A run that was not ended closes before the next one opens.
        library.run.reset();
        auto run = std::make_unique<ShowRun>(
            library,
            RunArguments{pStartupDat, applicationId, bDebugMode, ucVersionMajor, ucVersionMinor, iVersionBuild});
        ShowRun& playing = *run;
        library.run = std::move(run);
        library.showPlaying = true;
        status = playing.Play();
        library.showPlaying = false;
    }
    library.lastRunStatus = status;
    Profiler::Report();
    return status;
}

void DEMOGL_AppEnd()
{
    LibraryState& library = Library();
    if (library.run)
        library.run->Close();
    library.run.reset();
}
