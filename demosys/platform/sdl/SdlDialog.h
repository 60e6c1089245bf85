// The start-up dialog in the SDL window, drawn with Dear ImGui (SdlUi).
#pragma once

#include "ui/StartupDialog.h"

class SdlUi;
struct SDL_Window;

// Runs the dialog's own event loop in the window until Start or Quit.
DialogOutcome RunSdlStartupDialog(SDL_Window* window, SdlUi& ui, const StartupDialogModel& model,
                                  StartupChoices* choices);
