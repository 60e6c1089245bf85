// The software rasterizer's thread count (see RasterizerThreads.h).
#include "platform/RasterizerThreads.h"

#include <stdlib.h>

#include <algorithm>
#include <thread>

std::string RasterizerThreadsFor(const char* userValue, unsigned cores)
{
    if (userValue != nullptr && *userValue != '\0')
        return userValue;
    const unsigned threads = std::clamp(cores + 1, 2u, 16u);
    return std::to_string(threads);
}

void ChooseRasterizerThreads()
{
    const char* user = getenv("LP_NUM_THREADS");
    if (user != nullptr && *user != '\0')
        return;
    // hardware_concurrency is 0 when unknown: then two threads.
    setenv("LP_NUM_THREADS", RasterizerThreadsFor(nullptr, std::thread::hardware_concurrency()).c_str(), 1);
}
