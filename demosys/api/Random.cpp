// The shared random source: the classic runtime recurrence, independent of the platform's
// C library, so that every platform draws the same particles and stars.
#include <cstdint>

#include "DemoGL.h"

namespace {
uint32_t g_state = 1;
}

int DemoRand()
{
    g_state = g_state * 214013u + 2531011u;
    return static_cast<int>((g_state >> 16) & 0x7FFFu);
}

void DemoSrand(unsigned int uSeed) { g_state = uSeed; }
