// How many worker threads the library may start. The browser build has no threads (a page
// without shared memory runs on one thread): there every job that would go to a worker is done
// on the calling thread instead, in the same order, with the same result.
#pragma once

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
