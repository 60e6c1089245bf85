// The start-up dialog's remembered choices (start-up record byte 535): the resolution, window
// mode, sound and frame sync a person last started the show with, kept in a small text file
// named after the application id in the user's settings folder:
//   # written by the start-up dialog
//   width=1280
//   height=720
//   fullscreen=0
//   sound=1
//   framesync=1
// A missing file changes nothing; a line that is not one of these is reported with the file
// and line and skipped.
#pragma once

#include <string>

#include "ui/StartupDialog.h"

// "<settings folder>/<id>.ini"; the id is kept to letters, digits, '.', '-' and '_' so it is
// a plain file name. Empty when the platform has no settings folder.
std::string DialogSettingsPath(const std::string& applicationId);

// Reads the file's choices over *choices. False when there is no such file.
bool LoadDialogSettings(const std::string& path, StartupChoices* choices);

// Writes the choices (creating the folder). False with a reason when it cannot.
bool SaveDialogSettings(const std::string& path, const StartupChoices& choices, std::string* error);

// A file name made of the application id: "zarnovelt" stays, "my demo!" becomes "my_demo_",
// an empty id becomes "demo".
std::string ApplicationFileName(const std::string& applicationId);
