#include "Flight.h"

void LandFlight::Frame(long elapsedMs)
{
    if (m_startTime == -1)
        m_startTime = elapsedMs;
    const float t = static_cast<float>(elapsedMs - m_startTime) * 0.001f;
    if (t < 4.0f)
    {
        eye.x = 12.0f * t;
        centre.x = 8.0f * t;
        eye.z = 400.0f - 80.0f * t;
    }
    else if (t < 5.5f)
    {
        eye.y -= 0.01f * t;
        centre.x += 0.05f * t;
        eye.z -= 0.1f * t;
        centre.y += 0.05f * t;
    }
    else if (t < 9.0f)
    {
        centre.x -= 0.05f * t;
        centre.y += 0.01f * t;
    }
    else if (t < 12.0f)
    {
        centre.x -= 0.05f * t;
        eye.y += 0.007f * t;
        centre.y -= 0.04f * t;
    }
    else if (t < 13.0f)
    {
        eye.z += 0.029f * t;
        centre.x += 0.012f * t;
        eye.x -= 0.02f * t;
    }
    else if (t < 16.0f)
    {
        centre.z -= 0.002f * t;
        centre.y -= 0.006f * t;
    }
    else if (t < 33.0f)
    {
        eye.x -= 0.12f * t;
        centre.x += 0.282f * t;
        centre.y += 0.182f * t;
    }
    else if (t < 40.0f)
    {
        eye.z -= 0.62f * t;
        centre.z -= 0.122f * t;
    }
}

std::vector<long> FlightFrameTimes(int64_t startMs, int64_t stopMs, int fpsNumerator, int fpsDenominator)
{
    std::vector<long> times;
    // The first frame at or after the start.
    int64_t k = startMs * fpsNumerator / (1000 * static_cast<int64_t>(fpsDenominator));
    for (;; ++k)
    {
        const int64_t t = k * 1000 * fpsDenominator / fpsNumerator;
        if (t >= stopMs)
            break;
        if (t >= startMs)
            times.push_back(static_cast<long>(t - startMs));
    }
    return times;
}
