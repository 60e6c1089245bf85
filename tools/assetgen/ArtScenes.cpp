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

// Colour of the land at a height fraction f (0 = lowest, 1 = highest), with variation v.
Rgb LandBand(float f, float v)
{
    struct Stop
    {
        float at;
        Rgb colour;
    };
    static const Stop kStops[] = {
        {0.00f, {0.05f, 0.15f, 0.45f}},  // deep water
        {0.16f, {0.10f, 0.55f, 0.70f}},  // shallows
        {0.20f, {0.85f, 0.78f, 0.52f}},  // sand
        {0.26f, {0.35f, 0.70f, 0.20f}},  // meadow
        {0.45f, {0.12f, 0.42f, 0.15f}},  // forest
        {0.58f, {0.45f, 0.36f, 0.25f}},  // earth
        {0.74f, {0.52f, 0.50f, 0.52f}},  // rock
        {0.86f, {0.85f, 0.88f, 0.95f}},  // snow line
        {1.00f, {1.00f, 1.00f, 1.00f}},  // peaks
    };
    const float shifted = std::clamp(f + (v - 0.5f) * 0.06f, 0.0f, 1.0f);
    for (size_t i = 1; i < std::size(kStops); ++i)
        if (shifted <= kStops[i].at)
        {
            const float t = (shifted - kStops[i - 1].at) / (kStops[i].at - kStops[i - 1].at);
            return Mix(kStops[i - 1].colour, kStops[i].colour, t) * (0.85f + 0.3f * v);
        }
    return kStops[std::size(kStops) - 1].colour;
}

void MakeTerrainTexture(Generated* out)
{
    // The landscape reads t = height / 512, so heights 0..255 use the lower half of the picture
    // (t 0 .. 0.5). The upper half mirrors it, so the repeat wrap at t = 0 meets the same colour.
    const int size = 256;
    Canvas c(size, size);
    for (int y = 0; y < size; ++y)
    {
        const float t = 1.0f - (y + 0.5f) / size;
        const float f = (t <= 0.5f ? t : 1.0f - t) * 2.0f;
        for (int x = 0; x < size; ++x)
        {
            const float v = FractalNoise(x * 0.06f, f * 12.0f, 61, 4, 0.5f, 0);
            c.Set(x, y, LandBand(f, v));
        }
    }
    EmitPicture(out, "t_terrain_1.jpg", c, size, size);
}

}  // namespace

void MakeSceneTextures(Generated* out)
{
    MakeSprites(out);
    MakeCubeMaps(out);
    MakeTerrainTexture(out);
}
