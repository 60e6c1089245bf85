// The demo clock. In an exact run (headless or capture) frame k shows demo time
// start + k * 1000 / fps ms exactly (rounded down to whole ms), however long rendering takes.
// Otherwise the time follows a monotonic clock from the first frame.
#pragma once

#include <chrono>
#include <cstdint>

class ShowClock
{
public:
    ShowClock(bool exact, int fpsNumerator, int fpsDenominator, int64_t startMs)
        : m_exact(exact), m_fpsNumerator(fpsNumerator), m_fpsDenominator(fpsDenominator), m_startMs(startMs)
    {
    }

    // Demo time of frame `index` in ms.
    int64_t FrameTime(int64_t index)
    {
        if (m_exact)
            return m_startMs + ExactOffset(index, m_fpsNumerator, m_fpsDenominator);
        const auto now = std::chrono::steady_clock::now();
        if (index == 0 || !m_started)
        {
            m_origin = now;
            m_started = true;
        }
        return m_startMs + std::chrono::duration_cast<std::chrono::milliseconds>(now - m_origin).count();
    }

    // k * 1000 / fps in whole ms, rounded down, without overflow for any realistic show.
    static int64_t ExactOffset(int64_t index, int fpsNumerator, int fpsDenominator)
    {
        return index * 1000 * fpsDenominator / fpsNumerator;
    }

private:
    bool m_exact;
    int m_fpsNumerator;
    int m_fpsDenominator;
    int64_t m_startMs;
    bool m_started = false;
    std::chrono::steady_clock::time_point m_origin;
};
