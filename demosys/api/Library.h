// The library's process-wide state behind the DEMOGL_* functions: what the program hands over
// before DEMOGL_AppRun (start-up variables, the effect registry, the loading bar's settings),
// the command line main() read, the textures, and the run that is open between DEMOGL_AppRun
// and DEMOGL_AppEnd. Everything that belongs to one run of the show lives in that run's object
// (show/ShowRun.h). Internal to demosys/ (and its tests); effects see only DemoGL.h.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "DemoGL.h"
#include "api/Options.h"
#include "api/TextureStore.h"
#include "ui/LoadingBar.h"

// A run of the show that is open: made by DEMOGL_AppRun, closed by DEMOGL_AppEnd (show/ShowRun.h).
class OpenRun
{
public:
    virtual ~OpenRun() = default;
    // Tears the window, audio, textures and GL context down.
    virtual void Close() = 0;
};

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

struct LibraryState
{
    LibraryState();
    ~LibraryState();
    LibraryState(LibraryState&&) noexcept;
    LibraryState& operator=(LibraryState&&) noexcept;

    StartupVariables variables;
    std::vector<RegisteredEffect> effects;
    LoadingBarSettings loadingBar;
    Options options;                    // the command line (defaults when main() read none)
    TextureStore textures;
    std::unique_ptr<OpenRun> run;       // from DEMOGL_AppRun until DEMOGL_AppEnd
    bool showPlaying = false;           // inside DEMOGL_AppRun
    int lastRunStatus = kAppRunOk;      // what the last DEMOGL_AppRun returned: main's exit status
};

LibraryState& Library();

// Forgets registrations, variables, settings, options and reported warnings (for tests that run
// the library repeatedly). The textures and an open run stay.
void ResetLibrary();
