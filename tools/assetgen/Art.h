// The demo's pictures. Each Make* function paints one group of textures at a working size in
// float, resamples them to their power-of-two texture size and adds the encoded files (and a
// review copy) to `out`. The shared look: black grounds, neon lines with white-hot cores, a
// palette of cyan, magenta, amber and violet.
#pragma once

#include <algorithm>
#include <cmath>
#include <string>

#include "Canvas.h"
#include "Output.h"
#include "Shapes.h"

namespace palette
{
constexpr Rgb kCyan{0.20f, 0.85f, 1.00f};
constexpr Rgb kMagenta{1.00f, 0.22f, 0.72f};
constexpr Rgb kAmber{1.00f, 0.58f, 0.12f};
constexpr Rgb kViolet{0.48f, 0.22f, 1.00f};
constexpr Rgb kLime{0.50f, 1.00f, 0.35f};
constexpr Rgb kWhite{1.00f, 1.00f, 1.00f};
constexpr Rgb kNight{0.03f, 0.02f, 0.08f};
}  // namespace palette

// Groups of pictures, one per effect family.
void MakeKaosTextures(Generated* out);
void MakeOverlayTextures(Generated* out);     // IMAGE pictures, border, caption cards
void MakeBackgroundTextures(Generated* out);  // the three BACKGROUND pictures and the flag
void MakeSceneTextures(Generated* out);       // glow sprites, sphere maps, terrain texture

// Resamples, tone-maps and writes a picture: JPEG for ".jpg" paths, TGA for ".tga".
void EmitPicture(Generated* out, const std::string& path, const Canvas& work, int width, int height);
// Writes a grey mask (1 = white) the same way.
void EmitMask(Generated* out, const std::string& path, const Plane& mask, int width, int height);
// Writes a mask/picture pair from the picture and the area it occupies (`cover`, 1 inside):
// the mask is black over the cover and white elsewhere, and the picture is cut to the cover so
// it is black wherever the frame must show through.
void EmitMaskedPair(Generated* out, const std::string& imagePath, const std::string& maskPath, Canvas image,
                    const Plane& cover, int width, int height);

// Paints a neon line: a soft coloured glow, a saturated band and a near-white core, along the
// edge of `shape` (stroke) or over its area (fill when strokeWidth <= 0).
void AddNeon(Canvas* canvas, const Shape& shape, Rgb colour, float strokeWidth, float glowRadius, float intensity = 1.0f);
// Adds a vertical gradient from `top` to `bottom` under `mask`.
void AddVerticalGradient(Canvas* canvas, const Plane& mask, Rgb top, Rgb bottom, float y0, float y1);
// A plane from a function of pixel-centre coordinates.
template <typename Function>
Plane MakePlane(int width, int height, Function function)
{
    Plane plane(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            plane.At(x, y) = function(x + 0.5f, y + 0.5f);
    return plane;
}

// Scattered small stars on a plane (brightness 0..1), seeded.
Plane StarDust(int width, int height, int count, uint32_t seed, float maxRadius);

// A reflective environment as a sphere map: `environment` gives the colour seen in a direction
// (x right, y up, z towards the viewer). Outside the disc the picture is black.
template <typename Environment>
Canvas SphereMap(int size, Environment environment)
{
    Canvas canvas(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            // Normal of the mirror ball under this pixel (texture t grows upwards).
            const float nx = (x + 0.5f) / size * 2.0f - 1.0f;
            const float ny = 1.0f - (y + 0.5f) / size * 2.0f;
            const float rr = nx * nx + ny * ny;
            if (rr >= 1.0f)
                continue;
            const float nz = std::sqrt(1.0f - rr);
            // Reflection of the view direction (0, 0, -1) about the normal.
            const float rx = 2.0f * nz * nx;
            const float ry = 2.0f * nz * ny;
            const float rz = 2.0f * nz * nz - 1.0f;
            // Soft rim, so the disc's edge does not ring under linear filtering.
            const float rim = std::clamp((1.0f - std::sqrt(rr)) * size * 0.5f, 0.0f, 1.0f);
            canvas.Set(x, y, environment(rx, ry, rz) * rim);
        }
    return canvas;
}
