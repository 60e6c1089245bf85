#include "ModelTextures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

#include "Art.h"
#include "Random.h"

namespace
{

using Palette = std::vector<std::array<uint8_t, 3>>;

// A 256-entry palette blending through colour stops (positions 0..1).
Palette GradientPalette(const std::vector<std::pair<float, Rgb>>& stops)
{
    Palette palette(256);
    for (int i = 0; i < 256; ++i)
    {
        const float f = i / 255.0f;
        Rgb c = stops.back().second;
        for (size_t s = 1; s < stops.size(); ++s)
            if (f <= stops[s].first)
            {
                const float t = (f - stops[s - 1].first) / (stops[s].first - stops[s - 1].first);
                c = Mix(stops[s - 1].second, stops[s].second, t);
                break;
            }
        palette[i] = {static_cast<uint8_t>(std::lround(std::clamp(c.r, 0.0f, 1.0f) * 255)),
                      static_cast<uint8_t>(std::lround(std::clamp(c.g, 0.0f, 1.0f) * 255)),
                      static_cast<uint8_t>(std::lround(std::clamp(c.b, 0.0f, 1.0f) * 255))};
    }
    return palette;
}

// Writes an 8-bit palette bitmap whose index at each pixel is level(x, y) in 0..1.
void EmitPaletteBitmap(Generated* out, const std::string& path, int size, const Palette& palette,
                       const std::function<float(float, float)>& level)
{
    std::vector<uint8_t> indices(static_cast<size_t>(size) * size);
    Image8 preview;
    preview.width = size;
    preview.height = size;
    preview.rgb.resize(indices.size() * 3);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            const size_t i = static_cast<size_t>(y) * size + x;
            indices[i] = static_cast<uint8_t>(std::lround(std::clamp(level(x + 0.5f, y + 0.5f), 0.0f, 1.0f) * 255.0f));
            for (int c = 0; c < 3; ++c)
                preview.rgb[i * 3 + c] = palette[indices[i]][c];
        }
    out->AddFile(path, EncodeBmp8(size, size, indices, palette));
    out->AddPicture(path, preview);
}

void EmitTrueColourBitmap(Generated* out, const std::string& path, Canvas canvas)
{
    canvas.ToneMap();
    const Image8 image = canvas.ToImage8();
    out->AddFile(path, EncodeBmp24(image));
    out->AddPicture(path, image);
}

void MakeDancerBitmaps(Generated* out)
{
    // Skin: warm, smooth, with faint glowing lines like body paint.
    const int size = 128;
    Canvas skin(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            const float n = FractalNoise(x * 0.08f, y * 0.08f, 201, 4, 0.5f, 0);
            skin.Set(x, y, Rgb{0.92f, 0.70f, 0.62f} * (0.85f + 0.2f * n));
        }
    const Plane paint = MakePlane(size, size, [](float x, float y) {
        const float wave = std::sin(x * 0.098f * 2.0f + std::sin(y * 0.05f) * 2.0f);
        return std::exp(-std::pow((std::fmod(y + 12.0f * wave + 128.0f, 32.0f) - 16.0f) / 1.2f, 2.0f));
    });
    skin.Add(paint, palette::kCyan * 0.5f);
    EmitTrueColourBitmap(out, "dat/b_skin.bmp", skin);

    // Dress: sequins on diagonal magenta bands.
    EmitPaletteBitmap(out, "dat/b_dress.bmp", size,
                      GradientPalette({{0.0f, {0.10f, 0.02f, 0.18f}}, {0.5f, {0.75f, 0.10f, 0.60f}},
                                       {0.85f, {1.0f, 0.55f, 0.90f}}, {1.0f, {1.0f, 1.0f, 1.0f}}}),
                      [](float x, float y) {
                          const float band = 0.5f + 0.5f * std::sin((x + y) * 0.19635f);
                          const float gx = std::remainder(x, 8.0f);
                          const float gy = std::remainder(y + (static_cast<int>(x / 8.0f) % 2) * 4.0f, 8.0f);
                          const float sequin = std::exp(-(gx * gx + gy * gy) / 4.0f) * HashToUnit(static_cast<int>(x / 8), static_cast<int>(y / 8), 5);
                          return 0.25f + 0.4f * band + 0.5f * sequin;
                      });

    // Hair: dark violet strands with bright sheen.
    EmitPaletteBitmap(out, "dat/b_hair.bmp", size,
                      GradientPalette({{0.0f, {0.05f, 0.01f, 0.08f}}, {0.6f, {0.45f, 0.12f, 0.55f}}, {1.0f, {0.95f, 0.75f, 1.0f}}}),
                      [](float x, float y) {
                          const float strands = FractalNoise(x * 0.5f, y * 0.02f, 207, 3, 0.5f, 0);
                          const float sheen = std::exp(-std::pow((y - 40.0f) / 14.0f, 2.0f));
                          return 0.2f + 0.5f * strands + 0.35f * sheen * strands;
                      });
}

void MakeTunnelBitmaps(Generated* out)
{
    // Panels: dark plates with seams, rivets and glowing circuit lines; the texture repeats
    // four times around and once per period along the tunnel.
    const int size = 256;
    Canvas panel(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            const float n = FractalNoise(x * 0.03f, y * 0.03f, 301, 4, 0.5f, 8);
            panel.Set(x, y, Rgb{0.16f, 0.18f, 0.26f} * (0.7f + 0.6f * n));
        }
    const Plane seams = MakePlane(size, size, [](float x, float y) {
        const float sx = std::fabs(std::remainder(x, 128.0f));
        const float sy = std::fabs(std::remainder(y, 128.0f));
        return std::max(std::exp(-sx * sx / 3.0f), std::exp(-sy * sy / 3.0f));
    });
    panel.Multiply(seams.Inverted());
    // Each plate's edge catches the light just past the joint, so the joint reads as a groove
    // between two plates (a plain dark line looks like a gap in the picture).
    const Plane bevels = MakePlane(size, size, [](float x, float y) {
        const float bx = std::remainder(x - 3.0f, 128.0f);
        const float by = std::remainder(y - 3.0f, 128.0f);
        return std::max(std::exp(-bx * bx / 1.5f), std::exp(-by * by / 1.5f));
    });
    panel.Add(bevels, {0.30f, 0.33f, 0.42f});
    const std::vector<std::vector<Vec2>> circuits = {
        {{20, 40}, {70, 40}, {90, 60}, {110, 60}},
        {{150, 30}, {150, 80}, {200, 80}, {220, 100}},
        {{30, 170}, {90, 170}, {110, 190}, {110, 230}},
        {{160, 150}, {230, 150}},
        {{140, 200}, {180, 200}, {200, 220}, {240, 220}},
    };
    for (const auto& circuit : circuits)
    {
        AddNeon(&panel, Polyline(circuit, 1.2f, false), palette::kCyan, 0.0f, 4.0f, 0.9f);
        panel.Add(Glow(Circle(circuit.back(), 3.0f), size, size, 3.0f), palette::kAmber);
    }
    for (float rx : {10.0f, 118.0f, 138.0f, 246.0f})
        for (float ry : {10.0f, 118.0f, 138.0f, 246.0f})
            panel.Add(Fill(Circle({rx, ry}, 3.0f), size, size), {0.5f, 0.5f, 0.55f});
    EmitTrueColourBitmap(out, "dat/t_panel.bmp", panel);

    // Ribs: worn steel with amber warning chevrons.
    EmitPaletteBitmap(out, "dat/t_rib.bmp", 128,
                      GradientPalette({{0.0f, {0.05f, 0.05f, 0.07f}}, {0.45f, {0.45f, 0.47f, 0.52f}},
                                       {0.55f, {0.55f, 0.35f, 0.05f}}, {1.0f, {1.0f, 0.72f, 0.15f}}}),
                      [](float x, float y) {
                          const float metal = 0.15f + 0.3f * FractalNoise(x * 0.1f, y * 0.1f, 311, 3, 0.5f, 0);
                          const bool stripeRow = y > 44.0f && y < 84.0f;
                          const bool chevron = std::fmod(x + std::fabs(y - 64.0f) + 256.0f, 32.0f) < 14.0f;
                          return stripeRow && chevron ? 0.75f + 0.2f * metal : metal;
                      });
}

void MakeHeadphoneBitmaps(Generated* out)
{
    // Headband leather: dark grey with stitching along both edges.
    EmitPaletteBitmap(out, "dat/h_band.bmp", 128,
                      GradientPalette({{0.0f, {0.03f, 0.03f, 0.04f}}, {0.6f, {0.22f, 0.20f, 0.24f}}, {1.0f, {0.95f, 0.45f, 0.85f}}}),
                      [](float x, float y) {
                          const float grain = 0.15f + 0.3f * FractalNoise(x * 0.2f, y * 0.2f, 401, 3, 0.5f, 0);
                          const float edge = std::min(std::fabs(x - 14.0f), std::fabs(x - 114.0f));
                          const bool stitch = edge < 1.5f && std::fmod(y, 8.0f) < 5.0f;
                          return stitch ? 0.95f : grain;
                      });

    // Cup shells: glossy black with a neon ring and the group's initial.
    const int size = 128;
    Canvas shell(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            const float v = 0.06f + 0.08f * (1.0f - y / static_cast<float>(size));
            shell.Set(x, y, {v, v, v * 1.3f});
        }
    AddNeon(&shell, Circle({64, 64}, 40), palette::kMagenta, 4.0f, 6.0f, 1.0f);
    AddNeon(&shell, Polygon({{50, 44}, {78, 44}, {86, 60}, {72, 84}, {56, 84}, {42, 60}}), palette::kCyan, 2.5f, 4.0f, 0.9f);
    EmitTrueColourBitmap(out, "dat/h_shell.bmp", shell);
}

}  // namespace

void MakeModelTextures(Generated* out)
{
    MakeDancerBitmaps(out);
    MakeTunnelBitmaps(out);
    MakeHeadphoneBitmaps(out);
}
