// The software rasterizer's thread count (see RasterizerThreads.h).
#include "platform/RasterizerThreads.h"

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "support/Process.h"

std::string RasterizerThreadsFor(const char* userValue, unsigned cores)
{
    if (userValue != nullptr && *userValue != '\0')
        return userValue;
    const unsigned threads = std::clamp(cores + 1, 2u, 16u);
    return std::to_string(threads);
}

void ChooseRasterizerThreads()
{
    const char* user = std::getenv("LP_NUM_THREADS");
    if (user != nullptr && *user != '\0')
        return;
    // hardware_concurrency is 0 when unknown: then two threads.
    SetProcessEnvironment("LP_NUM_THREADS", RasterizerThreadsFor(nullptr, std::thread::hardware_concurrency()));
}
