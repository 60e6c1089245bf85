// The start-up dialog, shown in the demo's own window before loading: the release and group
// names, the resolution list with the record's default, fullscreen, sound and frame sync (each
// only when the start-up record offers the choice), Start and Quit. Enter starts, Escape or
// closing the window quits. This is what the dialog offers and answers; each window backend
// draws it and runs its event loop (Backend::RunStartupDialog).
#pragma once

#include <string>
#include <vector>

#include "DemoGL.h"

struct StartupChoices
{
    int width = 640;
    int height = 480;
    bool fullscreen = false;
    bool sound = true;
    bool frameSync = true;
};

enum class DialogOutcome
{
    Start,
    Quit,
};

struct DialogResolution
{
    int width = 0;
    int height = 0;
    std::string label;      // "640 x 480"
};

struct StartupDialogModel
{
    std::string title;                      // the release's name
    std::string group;                      // the group's name
    bool offerResolution = true;            // record byte 0
    bool offerWindowMode = true;            // byte 8
    bool offerSound = true;                 // byte 9
    bool offerFrameSync = true;             // byte 10
    std::vector<DialogResolution> resolutions;
    int selected = 0;                       // the resolution the dialog opens with
    int autoStartFrames = -1;               // >= 0: Start presses itself after that many frames
};

// The dialog for this record, opening on *choices: the record's resolutions plus the size asked
// for on the command line when it is not one of them.
StartupDialogModel MakeStartupDialog(const SStartupDat& record, const StartupChoices& choices, int autoStartFrames);

// The frames the dialog waits before pressing Start by itself, from ZARNOVELT_DIALOG_AUTOSTART
// (for window tests under a virtual display); -1 when unset or not a frame count (warned).
int DialogAutoStartFromEnvironment();
