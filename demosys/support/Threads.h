// How many worker threads the library may start. The browser build has no threads (a page
// without shared memory runs on one thread): there every job that would go to a worker is done
// on the calling thread instead, in the same order, with the same result.
#pragma once

#include <chrono>
#include <thread>

// `wanted` where the platform has threads, else 0.
inline unsigned WorkerThreads(unsigned wanted)
{
#ifdef ZARNOVELT_NO_THREADS
    (void)wanted;
    return 0;
#else
    return wanted;
#endif
}

// Gives the processor away between two frames of a paused show. A page has nothing to give it
// to (a sleep there spins); it waits for its next animation frame when it presents instead.
inline void RestWhilePaused()
{
#ifndef ZARNOVELT_NO_THREADS
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
#endif
}
