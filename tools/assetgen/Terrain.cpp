#include "Terrain.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "Flight.h"
#include "Landscape.h"
#include "Random.h"

namespace
{

constexpr int kSize = 512;

struct TrackPoint
{
    float c;    // column (x) in samples
    float r;    // row (z) in samples
};

// Where the camera flies low, in samples, while the landscape is shown: every tenth of a second
// of the flight at 60 and at 30 frames a second while the eye is over the map and less than 32
// world units (213 samples) up. The camera comes in over the north edge (row 511) and runs south
// down the column it came in on; at 60 frames a second it stops about half-way and later climbs,
// at 30 it stops sooner. The valley runs along that column from the north edge to where the
// camera stops, plus wherever it goes low besides.
std::vector<std::vector<TrackPoint>> LowCameraTracks()
{
    std::vector<std::vector<TrackPoint>> tracks;
    const int64_t start = LandscapeStartMs();
    for (const int fps : {60, 30})
    {
        std::vector<TrackPoint> track;
        LandFlight flight;
        long lastKept = -1000;
        for (const long elapsed : FlightFrameTimes(start, LandscapeStopMs(), fps))
        {
            flight.Frame(elapsed);
            const TrackPoint p = {flight.eye.x / kLandScale, flight.eye.z / kLandScale};
            const bool onMap = p.c >= 0.0f && p.c <= kSize && p.r >= 0.0f && p.r <= kSize;
            const bool low = flight.eye.y / kLandScale < 213.0f;
            if (start + elapsed >= LandscapeShownMs() && onMap && low && elapsed - lastKept >= 100)
            {
                track.push_back(p);
                lastKept = elapsed;
            }
        }
        if (track.empty())
            continue;
        const float entry = track.front().c;
        tracks.push_back(track);
        tracks.push_back({{entry, kSize + 32.0f}, {entry, track.back().r}});
    }
    return tracks;
}

// The point of the segment from a to b nearest to (c, r): how far along it (0 at a, 1 at b)
// and how far from (c, r).
struct Nearest
{
    float t;
    float distance;
};

Nearest NearestOnSegment(float c, float r, float ac, float ar, float bc, float br)
{
    const float dc = bc - ac;
    const float dr = br - ar;
    const float length2 = dc * dc + dr * dr;
    const float t = length2 > 0.0f ? std::clamp(((c - ac) * dc + (r - ar) * dr) / length2, 0.0f, 1.0f) : 0.0f;
    return {t, std::hypot(c - (ac + t * dc), r - (ar + t * dr))};
}

float DistanceToSegment(float c, float r, TrackPoint a, TrackPoint b)
{
    return NearestOnSegment(c, r, a.c, a.r, b.c, b.r).distance;
}

float DistanceToTracks(float c, float r, const std::vector<std::vector<TrackPoint>>& tracks)
{
    float best = 1e9f;
    for (const std::vector<TrackPoint>& track : tracks)
        for (size_t i = 0; i + 1 < track.size(); ++i)
            best = std::min(best, DistanceToSegment(c, r, track[i], track[i + 1]));
    return best;
}

float SmoothStep(float edge0, float edge1, float x)
{
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// The ridges, each a line of crest points in samples with their heights (1 = the highest)
// between which the crest rises and falls evenly, and how far it spreads to each side. The
// camera looks south, then west, and down, so ridges close the land off along the south and
// west edges, a lower one runs along the east, and hills stand in the north-west, which the
// camera looks down on from high up at the end. To the north, where it comes in, the land is
// open. The valley leaves south through a narrow pass between the two halves of the south
// ridge. The crests stand back from the edges and the land falls towards them, because the
// effect repeats row 0 at row 512 and column 0 at column 512: low edges meet without a step.
struct CrestPoint
{
    float c;
    float r;
    float height;
};

struct RidgeLine
{
    std::vector<CrestPoint> crest;
    float spread;
};

const std::vector<RidgeLine>& Ridges()
{
    static const std::vector<RidgeLine> kRidges = {
        {{{-30, 80, 0.55f}, {45, 70, 1.00f}, {115, 88, 0.78f}, {185, 66, 0.96f}, {268, 84, 0.86f}}, 48.0f},
        {{{368, 78, 0.90f}, {430, 92, 0.72f}, {475, 72, 0.84f}, {545, 80, 0.50f}}, 48.0f},
        {{{62, 105, 0.90f}, {48, 190, 1.00f}, {66, 270, 0.80f}, {52, 350, 0.76f}, {72, 430, 0.58f}, {62, 520, 0.22f}}, 48.0f},
        {{{452, 120, 0.70f}, {444, 205, 0.80f}, {456, 290, 0.64f}, {440, 380, 0.72f}, {452, 470, 0.46f}, {446, 540, 0.10f}}, 46.0f},
        {{{152, 275, 0.55f}, {128, 360, 0.64f}, {162, 440, 0.46f}}, 38.0f},
        {{{168, 185, 0.52f}, {236, 232, 0.34f}}, 36.0f},
        {{{388, 190, 0.50f}, {396, 320, 0.42f}}, 38.0f},
    };
    return kRidges;
}

// The ridge's height at a point: the crest's height where the point is nearest to it, falling
// off with the distance from the crest.
float RidgeHeight(const RidgeLine& ridge, float c, float r)
{
    float best = 0.0f;
    for (size_t i = 0; i + 1 < ridge.crest.size(); ++i)
    {
        const CrestPoint& a = ridge.crest[i];
        const CrestPoint& b = ridge.crest[i + 1];
        const Nearest nearest = NearestOnSegment(c, r, a.c, a.r, b.c, b.r);
        // Smooth along the crest too, so peaks and saddles are rounded.
        const float crest = a.height + (b.height - a.height) * SmoothStep(0.0f, 1.0f, nearest.t);
        const float distance = nearest.distance;
        best = std::max(best, crest * std::exp(-(distance * distance) / (ridge.spread * ridge.spread)));
    }
    return best;
}

}  // namespace

Bytes MakeHeightMap()
{
    const std::vector<std::vector<TrackPoint>> tracks = LowCameraTracks();
    // On faster displays the camera runs on south down the same column and out over the south
    // edge: a narrow gorge carries the valley on through the south ridge.
    const TrackPoint entry = tracks.front().front();
    const TrackPoint gorgeFrom = {entry.c, tracks.front().back().r};
    const TrackPoint gorgeTo = {entry.c, -32.0f};
    std::vector<float> field(static_cast<size_t>(kSize) * kSize);
    for (int r = 0; r < kSize; ++r)
        for (int c = 0; c < kSize; ++c)
        {
            const float x = static_cast<float>(c);
            const float z = static_cast<float>(r);
            float peaks = 0.0f;
            for (const RidgeLine& ridge : Ridges())
                peaks = std::max(peaks, RidgeHeight(ridge, x, z));
            // Broad hills everywhere else, rising and falling every hundred samples or more,
            // falling to the edges as the peaks do.
            const float hills = FractalNoise(x / 160.0f, z / 160.0f, 731, 3, 0.45f, 0);
            const float edge = std::min({x, z, kSize - x, kSize - z});
            const float land = (0.08f + 0.3f * hills) * SmoothStep(0.0f, 80.0f, edge);
            const float height = std::max(peaks, land) + 0.15f * land;
            // The valley along the camera's track: a dark floor some forty samples wide that
            // opens into the slopes over about a hundred.
            const float distance = DistanceToTracks(x, z, tracks);
            const float gorge = DistanceToSegment(x, z, gorgeFrom, gorgeTo);
            const float open = std::min(SmoothStep(25.0f, 115.0f, distance), SmoothStep(12.0f, 60.0f, gorge));
            const float floor = 0.05f + 0.04f * hills;
            field[static_cast<size_t>(r) * kSize + c] = floor + (height - floor) * open;
        }
    float high = 0.0f;
    for (float v : field)
        high = std::max(high, v);
    Bytes bytes(field.size());
    for (size_t i = 0; i < field.size(); ++i)
        bytes[i] = static_cast<uint8_t>(std::lround(std::clamp(field[i] / high, 0.0f, 1.0f) * 255.0f));
    return bytes;
}
