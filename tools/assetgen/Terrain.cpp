#include "Terrain.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "Random.h"

Bytes MakeHeightMap()
{
    constexpr int kSize = 512;
    // The landscape samples every 16th height and wraps at the edges, so the field tiles
    // (its lattice repeats every 512 samples) and its large features span several samples.
    std::vector<float> field(static_cast<size_t>(kSize) * kSize);
    for (int r = 0; r < kSize; ++r)
        for (int c = 0; c < kSize; ++c)
        {
            const float x = c / 128.0f;
            const float y = r / 128.0f;
            const float hills = FractalNoise(x, y, 501, 6, 0.5f, 4);
            // Ridged noise for sharp mountain crests.
            const float ridge = 1.0f - std::fabs(FractalNoise(x * 0.5f, y * 0.5f, 502, 5, 0.5f, 2) * 2.0f - 1.0f);
            // The camera hovers near sample (320, 256) at about a third of the highest peak, so
            // the land is lowered into a valley there (distance measured across the wrap).
            const float dc = std::min(std::fabs(c - 320.0f), kSize - std::fabs(c - 320.0f));
            const float dr = std::min(std::fabs(r - 256.0f), kSize - std::fabs(r - 256.0f));
            const float valley = 1.0f - 0.65f * std::exp(-(dc * dc + dr * dr) / (2.0f * 80.0f * 80.0f));
            field[static_cast<size_t>(r) * kSize + c] = (0.55f * hills + 0.45f * ridge * ridge) * valley;
        }
    float low = field[0];
    float high = field[0];
    for (float v : field)
    {
        low = std::min(low, v);
        high = std::max(high, v);
    }
    Bytes bytes(field.size());
    for (size_t i = 0; i < field.size(); ++i)
    {
        // Stretched to the full byte range, with valleys flattened a little into lakes and
        // plains.
        const float f = (field[i] - low) / (high - low);
        const float shaped = std::pow(f, 1.35f);
        bytes[i] = static_cast<uint8_t>(std::lround(std::clamp(shaped, 0.0f, 1.0f) * 255.0f));
    }
    return bytes;
}
