// What MessageBoxA does for the demo on every platform: the line on standard error (and the log),
// then the box where the current backend shows one to a person; a run without a window never
// waits on a box.
#pragma once

// Returns IDOK.
int ShowDemoMessage(const char* text, const char* caption);
