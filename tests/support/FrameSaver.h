// Pictures of what a rendering test drew, for looking at: when ZARNOVELT_TEST_FRAMES names a
// folder, frames are saved there as <name>.png; otherwise nothing is written. A relative folder
// is taken from the directory the test binary started in (tests move into scratch directories).
#pragma once

#include <string>

// The folder frames go to, absolute; empty when ZARNOVELT_TEST_FRAMES is unset or empty.
std::string TestFramesDir();

// Saves the current GL frame (upright) as <folder>/<name>.png, characters other than letters,
// digits, '-' and '_' in the name made '_'. True when nothing was asked for or the picture was
// written.
bool SaveFrame(const std::string& name);

// Copies a PNG some other program wrote (the demo's own capture, say) in as <name>.png.
bool KeepFrameFile(const std::string& pngPath, const std::string& name);
