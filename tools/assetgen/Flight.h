// The landscape's camera as the LAND effect flies it: placed by time for the first 4 s, then
// moved every frame by amounts that grow with the time (so where it goes depends on the frame
// rate), still from 40 s. The arithmetic is the effect's, in single precision, step for step,
// so the height map can be laid out around where the camera will be and what it looks at.
// World units: the terrain spans 0..76.8 in x and z (512 samples times 0.15), heights 0..38.25.
#pragma once

#include <cstdint>
#include <vector>

struct FlightVector
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

class LandFlight
{
public:
    // One frame at the effect's elapsed time in ms, as its RenderFrame moves the camera: the
    // first frame starts the clock.
    void Frame(long elapsedMs);

    FlightVector eye = {0.0f, 30.0f, -200.0f};
    FlightVector centre = {0.0f, 0.0f, 0.0f};

private:
    long m_startTime = -1;
};

// The effect's elapsed times, frame by frame, while the show plays it from startMs to stopMs at
// fpsNumerator / fpsDenominator frames a second: the show draws frame k at k * 1000 * den / num
// ms (rounded down) and gives the effect that time minus its start.
std::vector<long> FlightFrameTimes(int64_t startMs, int64_t stopMs, int fpsNumerator, int fpsDenominator = 1);

// The world's scale: height-map samples to world units.
constexpr float kLandScale = 0.15f;
