// Textures of the generated scenes: the three glow sprites (particles, light balls, stars), the
// two sphere-mapped cube textures of the spirals, and the landscape's height-band texture.
#include <algorithm>
#include <cmath>

#include "Art.h"
#include "Random.h"

namespace
{

// A radial glow that reaches black before the picture's edge, so repeat-wrapped sprites never
// bleed into their neighbours.
template <typename Profile>
Canvas RadialSprite(int size, Profile profile)
{
    Canvas c(size, size);
    const float centre = size * 0.5f;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            const float dx = (x + 0.5f - centre) / centre;
            const float dy = (y + 0.5f - centre) / centre;
            const float r = std::sqrt(dx * dx + dy * dy);
            // Fades to exactly zero at 92 % of the half-size.
            const float edge = std::clamp((0.92f - r) / 0.25f, 0.0f, 1.0f);
            c.Set(x, y, profile(r, dx, dy) * (edge * edge * (3.0f - 2.0f * edge)));
        }
    return c;
}

void MakeSprites(Generated* out)
{
    // Warm sparks for the particle fountain.
    Canvas particle = RadialSprite(64, [](float r, float, float) {
        const float core = std::exp(-r * r * 40.0f);
        const float halo = std::exp(-r * r * 6.0f);
        return Rgb{1.0f, 0.95f, 0.8f} * (1.3f * core) + Rgb{1.0f, 0.55f, 0.15f} * (0.85f * halo);
    });
    EmitPicture(out, "particle.jpg", particle, 64, 64);

    // Light balls: a hot white core in a cyan body with a violet fringe.
    Canvas ball = RadialSprite(128, [](float r, float, float) {
        const float core = std::exp(-r * r * 30.0f);
        const float body = std::exp(-r * r * 5.0f);
        const float fringe = std::exp(-r * r * 2.5f);
        return Rgb{1.0f, 1.0f, 1.0f} * (1.4f * core) + Rgb{0.25f, 0.75f, 1.0f} * (1.0f * body) +
               Rgb{0.5f, 0.3f, 1.0f} * (0.25f * fringe);
    });
    EmitPicture(out, "lightball.jpg", ball, 128, 128);

    // A star: bright point, four thin spikes and a soft blue halo.
    Canvas star = RadialSprite(64, [](float r, float dx, float dy) {
        const float core = std::exp(-r * r * 90.0f);
        const float spikes = std::exp(-std::fabs(dx) * 28.0f) * std::exp(-std::fabs(dy) * 3.0f) +
                             std::exp(-std::fabs(dy) * 28.0f) * std::exp(-std::fabs(dx) * 3.0f);
        const float halo = std::exp(-r * r * 12.0f);
        return Rgb{1.0f, 1.0f, 1.0f} * (1.5f * core + 0.8f * spikes) + Rgb{0.45f, 0.6f, 1.0f} * (0.5f * halo);
    });
    EmitPicture(out, "star_64.jpg", star, 64, 64);
}

// A night city: deep blue sky with a moon, a bright horizon haze, and a ground of lights.
Rgb NightCity(float x, float y, float z)
{
    Rgb colour;
    if (y >= 0.0f)
    {
        colour = Mix({0.40f, 0.70f, 1.00f}, {0.10f, 0.18f, 0.50f}, std::pow(y, 0.5f));
        const float moon = std::exp(-(std::pow(x + 0.35f, 2.0f) + std::pow(y - 0.6f, 2.0f)) * 300.0f);
        colour = colour + palette::kWhite * (2.0f * moon);
        // Light bands of a studio sky, giving the chrome its streaks.
        colour = colour + palette::kCyan * (0.8f * std::exp(-std::pow((y - 0.25f) / 0.04f, 2.0f)));
    }
    else
    {
        const float px = x / -y * 6.0f;
        const float pz = z / -y * 6.0f;
        const int cx = static_cast<int>(std::floor(px));
        const int cz = static_cast<int>(std::floor(pz));
        const float lit = HashToUnit(cx, cz, 3) > 0.55f ? 1.0f : 0.0f;
        const float fx = px - cx - 0.5f;
        const float fz = pz - cz - 0.5f;
        const float dot = std::exp(-(fx * fx + fz * fz) * 30.0f) * lit;
        const Rgb light = HashToUnit(cx, cz, 4) > 0.5f ? palette::kAmber : palette::kCyan;
        colour = Rgb{0.18f, 0.20f, 0.35f} + light * (1.4f * dot * std::min(1.0f, -y * 4.0f));
    }
    return colour + Rgb{0.6f, 0.8f, 1.0f} * (0.8f * std::exp(-y * y * 150.0f));
}

// A sunset sea: orange-to-magenta sky, a low sun, and its streak on dark water.
Rgb SunsetSea(float x, float y, float z)
{
    Rgb colour;
    const float sun = std::exp(-(std::pow(x - 0.15f, 2.0f) + std::pow(y - 0.12f, 2.0f)) * 90.0f);
    if (y >= 0.0f)
    {
        colour = Mix({1.0f, 0.60f, 0.20f}, {0.55f, 0.15f, 0.60f}, std::pow(y, 0.6f));
        colour = colour + Rgb{1.0f, 0.95f, 0.7f} * (2.2f * sun);
        const float cloud = FractalNoise(x * 4.0f + 10.0f, y * 14.0f, 5, 4);
        colour = colour * (0.75f + 0.5f * cloud);
    }
    else
    {
        const float streak = std::exp(-std::pow((x - 0.15f) / 0.06f, 2.0f)) * std::exp(y * 3.0f);
        const float waves = 0.6f + 0.4f * std::sin(z / -y * 40.0f);
        colour = Mix({0.45f, 0.12f, 0.35f}, {0.12f, 0.04f, 0.18f}, std::min(1.0f, -y * 2.0f)) +
                 Rgb{1.0f, 0.6f, 0.3f} * (1.4f * streak * waves);
    }
    return colour + Rgb{1.0f, 0.7f, 0.5f} * (0.7f * std::exp(-y * y * 200.0f));
}

void MakeCubeMaps(Generated* out)
{
    EmitPicture(out, "spiral/t_cube_1.jpg", SphereMap(512, NightCity), 256, 256);
    EmitPicture(out, "spiral/t_cube_2.jpg", SphereMap(512, SunsetSea), 256, 256);
}

// Colour of the land at a height fraction f (0 = lowest, 1 = highest): deep violet valley
// floors, magenta slopes, violet-blue shoulders, cyan ridges and crests. The landscape
// multiplies it by a grey of the same fraction, so low ground comes out dark whatever it is.
Rgb LandColour(float f)
{
    struct Stop
    {
        float at;
        Rgb colour;
    };
    static const Stop kStops[] = {
        {0.00f, {0.35f, 0.10f, 0.60f}},
        {0.30f, palette::kMagenta},
        {0.58f, {0.62f, 0.28f, 1.00f}},
        {0.80f, palette::kCyan},
        {1.00f, {0.45f, 0.95f, 1.00f}},
    };
    for (size_t i = 1; i < std::size(kStops); ++i)
        if (f <= kStops[i].at)
            return Mix(kStops[i - 1].colour, kStops[i].colour, (f - kStops[i - 1].at) / (kStops[i].at - kStops[i - 1].at));
    return kStops[std::size(kStops) - 1].colour;
}

// A line's profile across it: a hot core about `core` wide and a glow about `glow` wide, at a
// distance d (all in the same units).
float LineProfile(float d, float core, float glow)
{
    return std::exp(-(d * d) / (core * core)) + 0.35f * std::exp(-(d * d) / (glow * glow));
}

void MakeTerrainTexture(Generated* out)
{
    // The landscape reads s = x / 512 across the whole map once and t = height / 512, so heights
    // 0..255 use the lower half of the picture (t 0 .. 0.5). The upper half mirrors it, so the
    // repeat wrap at t = 0 meets the same colour. Neon grid lines cross it at 32 places along x:
    // on the land they run over the hills where x stays the same, one on every column of the
    // landscape's grid (the one at s = 0 is split across the wrap). They are cyan on the low,
    // magenta ground and magenta on the cyan heights, and thin: where the camera looks along x
    // a line is drawn out into a band.
    constexpr int kWork = 1024;
    constexpr int kLinesAlongX = 32;
    Canvas c(kWork, kWork);
    // The lines' strength across a row, the same on every row.
    std::vector<float> grid(kWork);
    for (int x = 0; x < kWork; ++x)
    {
        const float across = (x + 0.5f) / kWork * kLinesAlongX;
        grid[x] = LineProfile((across - std::round(across)) * (static_cast<float>(kWork) / kLinesAlongX), 1.6f, 5.0f);
    }
    for (int y = 0; y < kWork; ++y)
    {
        const float t = 1.0f - (y + 0.5f) / kWork;
        const float f = (t <= 0.5f ? t : 1.0f - t) * 2.0f;
        const Rgb base = LandColour(f);
        const float high = std::clamp((f - 0.5f) / 0.25f, 0.0f, 1.0f);
        const Rgb line = Mix(Mix(palette::kCyan, palette::kMagenta, high * high * (3.0f - 2.0f * high)), palette::kWhite, 0.35f);
        for (int x = 0; x < kWork; ++x)
            c.Set(x, y, Mix(base * 0.9f, line, std::min(1.0f, grid[x])));
    }
    EmitPicture(out, "t_terrain_1.jpg", c, 512, 512);
}

}  // namespace

void MakeSceneTextures(Generated* out)
{
    MakeSprites(out);
    MakeCubeMaps(out);
    MakeTerrainTexture(out);
}
