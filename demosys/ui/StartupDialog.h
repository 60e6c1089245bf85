// The start-up dialog, shown in the demo's own window before loading: the release and group
// names, the resolution list with the record's default, fullscreen, sound and frame sync (each
// only when the start-up record offers the choice), Start and Quit. Enter starts, Escape or
// closing the window quits.
#pragma once

#include "platform/Backend.h"
#include "DemoGL.h"
#include "platform/sdl/WindowUi.h"

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

// Runs the dialog until Start or Quit, starting from *choices and leaving the user's choices
// there. autoStartFrames >= 0 presses Start by itself after that many frames (for tests of the
// window under a virtual display; see ZARNOVELT_DIALOG_AUTOSTART in AppRun.cpp).
DialogOutcome RunStartupDialog(Backend& backend, WindowUi& ui, const SStartupDat& record, StartupChoices* choices,
                               int autoStartFrames);
