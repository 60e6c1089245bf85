#include "Art.h"

#include <algorithm>
#include <cmath>

#include "Random.h"

namespace
{

bool EndsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

void EmitImage(Generated* out, const std::string& path, const Image8& image)
{
    if (EndsWith(path, ".tga"))
        out->AddFile(path, EncodeTga(image));
    else
        out->AddFile(path, EncodeJpeg(image, 92, true));
    out->AddPicture(path, image);
}

}  // namespace

void EmitPicture(Generated* out, const std::string& path, const Canvas& work, int width, int height)
{
    Canvas sized = (work.Width() == width && work.Height() == height) ? work : work.Resampled(width, height);
    sized.ToneMap();
    EmitImage(out, path, sized.ToImage8());
}

void EmitMask(Generated* out, const std::string& path, const Plane& mask, int width, int height)
{
    const Plane sized = (mask.Width() == width && mask.Height() == height) ? mask : mask.Resampled(width, height);
    EmitImage(out, path, GreyImage(sized));
}

void EmitMaskedPair(Generated* out, const std::string& imagePath, const std::string& maskPath, Canvas image,
                    const Plane& cover, int width, int height)
{
    Plane clamped = cover;
    for (float& v : clamped.Values())
        v = std::clamp(v, 0.0f, 1.0f);
    image.Multiply(clamped);
    EmitPicture(out, imagePath, image, width, height);
    EmitMask(out, maskPath, clamped.Inverted(), width, height);
}

void AddNeon(Canvas* canvas, const Shape& shape, Rgb colour, float strokeWidth, float glowRadius, float intensity)
{
    const int w = canvas->Width();
    const int h = canvas->Height();
    const Shape line = strokeWidth > 0.0f ? Outline(shape, strokeWidth * 0.5f) : shape;
    canvas->Add(Glow(line, w, h, glowRadius), colour * (0.55f * intensity));
    canvas->Add(Fill(line, w, h), colour * (0.9f * intensity));
    const Shape core = strokeWidth > 0.0f ? Outline(shape, std::max(0.6f, strokeWidth * 0.18f)) : Offset(shape, -strokeWidth);
    canvas->Add(Fill(core, w, h), Mix(colour, palette::kWhite, 0.75f) * (0.8f * intensity));
}

void AddVerticalGradient(Canvas* canvas, const Plane& mask, Rgb top, Rgb bottom, float y0, float y1)
{
    for (int y = 0; y < canvas->Height(); ++y)
    {
        const float t = std::clamp((y + 0.5f - y0) / (y1 - y0), 0.0f, 1.0f);
        const Rgb c = Mix(top, bottom, t);
        for (int x = 0; x < canvas->Width(); ++x)
        {
            const float m = mask.At(x, y);
            if (m <= 0.0f)
                continue;
            canvas->r.At(x, y) += c.r * m;
            canvas->g.At(x, y) += c.g * m;
            canvas->b.At(x, y) += c.b * m;
        }
    }
}

Plane StarDust(int width, int height, int count, uint32_t seed, float maxRadius)
{
    Plane plane(width, height);
    Rng rng(seed);
    for (int i = 0; i < count; ++i)
    {
        const float cx = rng.Range(0.0f, static_cast<float>(width));
        const float cy = rng.Range(0.0f, static_cast<float>(height));
        const float u = rng.Uniform();
        const float radius = 0.4f + maxRadius * u * u * u;
        const float brightness = 0.35f + 0.65f * rng.Uniform();
        const int x0 = std::max(0, static_cast<int>(cx - radius * 4));
        const int x1 = std::min(width - 1, static_cast<int>(cx + radius * 4));
        const int y0 = std::max(0, static_cast<int>(cy - radius * 4));
        const int y1 = std::min(height - 1, static_cast<int>(cy + radius * 4));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
            {
                const float dx = x + 0.5f - cx;
                const float dy = y + 0.5f - cy;
                const float v = brightness * std::exp(-(dx * dx + dy * dy) / (radius * radius));
                plane.At(x, y) = std::max(plane.At(x, y), v);
            }
    }
    return plane;
}
