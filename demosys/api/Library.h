// The library's process-wide state behind the DEMOGL_* functions: start-up variables, the
// effect registry, loading-bar settings, the command-line options and the active backend.
// Internal to demosys/ (and its tests); effects see only DemoGL.h.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Backend.h"
#include "DemoGL.h"
#include "show/Options.h"

struct RegisteredEffect
{
    CEffect* effect = nullptr;
    std::string name;
};

struct StartupVariables
{
    bool showStartupDialog = true;
    int swapInterval = 1;
    int dataSource = kDataSourceFiles;
    std::string archiveFile = "revizi.xxx";
    std::string scriptFile = "demoflow.txt";
    bool fullScreen = false;
    bool playMusic = true;
    bool showLoadingBar = true;
    bool showOverlay = false;
    bool escapeEnds = true;
    bool loopShow = false;
    bool writeLogFile = false;
};

struct LoadingBarSettings
{
    bool enabled = false;
    float width = 1.0f, height = 0.02f, x = 0.0f, y = 0.0f;
    bool drawBar = true;
    bool backgroundPicture = false;
    unsigned int srcBlend = 0x0302;   // GL_SRC_ALPHA
    unsigned int dstBlend = 0x0303;   // GL_ONE_MINUS_SRC_ALPHA
    float opacity = 1.0f;
    float bar[3] = {0.5f, 0.5f, 0.5f};
    float border[3] = {1.0f, 1.0f, 1.0f};
};

// Which backend DEMOGL_AppRun opens: chosen from the options and the display, or forced (tests).
enum class BackendKind
{
    Auto,
    Null,
};

struct LibraryState
{
    StartupVariables variables;
    std::vector<RegisteredEffect> effects;
    LoadingBarSettings loadingBar;
    Options options;
    bool optionsGiven = false;          // main() parsed a command line
    Backend* backend = nullptr;         // the backend whose context is current, if any
    bool extensionsDisabled = false;    // --no-extensions
    bool running = false;               // inside DEMOGL_AppRun
    BackendKind backendKind = BackendKind::Auto;
    SStartupDat lastStartupRecord{};    // a copy of the record the last DEMOGL_AppRun received
    int appRunCount = 0;                // DEMOGL_AppRun calls so far
    // Controls the show reads each frame besides the window's, by frame index (tests drive
    // pause, seeks and reloads with it). Empty: none.
    std::function<BackendEvents(int64_t frameIndex)> testEvents;
};

LibraryState& Library();

// Forgets registrations, variables and settings (for tests that run the library repeatedly).
void ResetLibrary();

// Receives every message MessageBoxA shows (text, caption), besides standard error. For tests.
using MessageHook = std::function<void(const std::string& text, const std::string& caption)>;
void SetMessageHook(MessageHook hook);

// Shows a message of the demo: "<caption>: <text>" on standard error (one line, whatever line
// end the text carries), then the hook. MessageBoxA comes here on every platform. Returns IDOK.
int ReportMessage(const char* text, const char* caption);

// Reports a problem once per distinct text: "Warning: <text>" on standard error.
void ReportWarningOnce(const std::string& text);
void ClearReportedWarnings();
