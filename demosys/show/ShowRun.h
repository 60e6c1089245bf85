// One run of the show, from DEMOGL_AppRun to DEMOGL_AppEnd, and everything that belongs to it:
// the backend (window or headless context), the offscreen framebuffer, the texture decoding
// threads, the scheduler, the soundtrack and the capture. DEMOGL_AppRun makes one and plays it;
// DEMOGL_AppEnd closes it (Library().run holds it in between, since the GL context stays open
// until then).
//
//   1. settle the choices (command line over start-up variables over the record)
//   2. open the backend (window or headless); in a window, the start-up dialog
//   3. read and validate the timeline script (a bad script does not start) and its music
//   4. the capture, when asked for (before loading, so a missing ffmpeg fails fast)
//   5. loading: Init of every effect in registration order, the loading bar after each; the
//      textures were queued for decoding on worker threads before step 2
//   6. the show (ShowLoop); End for the effects still running; the capture is finished
#pragma once

#include <memory>
#include <string>

#include "DemoGL.h"
#include "api/Library.h"
#include "api/Scheduler.h"
#include "audio/Soundtrack.h"
#include "codecs/TexturePredecoder.h"
#include "platform/Backend.h"
#include "platform/BackendChoice.h"
#include "platform/RenderTarget.h"
#include "ui/StartupDialog.h"

class FrameSink;

struct RunArguments
{
    const SStartupDat* record = nullptr;
    std::string applicationId;      // names the log and settings files
    bool debugMode = false;         // the GL error audit
    unsigned char versionMajor = 0;
    unsigned char versionMinor = 0;
    int versionBuild = 0;
};

class ShowRun : public OpenRun
{
public:
    ShowRun(LibraryState& library, const RunArguments& arguments);
    ~ShowRun();
    ShowRun(const ShowRun&) = delete;
    ShowRun& operator=(const ShowRun&) = delete;

    // Steps 1 to 6. kAppRunOk when the show ran (or the dialog's Quit), kAppRunFailed with the
    // reason on standard error when it could not.
    int Play();

    // Tears the window, audio, textures and GL context down (DEMOGL_AppEnd).
    void Close() override;

private:
    StartupChoices InitialChoices() const;
    BackendConfig ConfigFor(const StartupChoices& choices) const;
    bool OpenBackend(const BackendConfig& config, bool wantWindow, std::string* error);
    // In a window, the dialog (and the remembered settings); false when the person quit.
    bool AskPerson(StartupChoices* choices);
    bool StartCapture(const StartupChoices& choices, std::string* error);
    void Load(int width, int height);

    LibraryState& m_library;
    RunArguments m_arguments;
    SStartupDat m_record{};
    std::unique_ptr<Backend> m_backend;
    RenderTarget m_target;
    TexturePredecoder m_predecoder;
    Scheduler m_scheduler;
    Timeline m_timeline;
    std::string m_scriptName;
    Soundtrack m_soundtrack;
    std::unique_ptr<FrameSink> m_sink;
    bool m_logOpen = false;
};
