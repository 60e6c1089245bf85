// How many threads Mesa's software rasterizer (llvmpipe) draws with, when the user has not said.
//
// Measured on a two-core machine (docs/performance.md): no rasterizer threads or one thread
// makes a frame 50 to 90 % slower; two, three and four are within a few percent of each other,
// three (one more than the cores) a little ahead at 640x480. The render thread mostly bins
// triangles and then waits for the rasterizer, so one thread more than the cores keeps every
// core drawing while it bins. The variable must be set before the driver is loaded, that is
// before the first GL context of the process; on a GPU driver it changes nothing.
#pragma once

#include <string>

// The value to give LP_NUM_THREADS: `userValue` when the user set one (not null, not empty),
// otherwise the cores plus one, at least 2 and at most 16.
std::string RasterizerThreadsFor(const char* userValue, unsigned cores);

// Sets LP_NUM_THREADS for this process and its children unless the user set it. Call before
// the first GL context is created.
void ChooseRasterizerThreads();
