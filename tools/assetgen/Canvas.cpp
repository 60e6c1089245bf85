#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace
{

// One box pass of half-width `radius` along a strided line, edges clamped.
void BoxLine(const float* src, float* dst, int count, int stride, int radius)
{
    if (radius <= 0)
    {
        for (int i = 0; i < count; ++i)
            dst[i * stride] = src[i * stride];
        return;
    }
    const float scale = 1.0f / static_cast<float>(2 * radius + 1);
    auto at = [&](int i) { return src[std::clamp(i, 0, count - 1) * stride]; };
    float sum = 0.0f;
    for (int i = -radius; i <= radius; ++i)
        sum += at(i);
    for (int i = 0; i < count; ++i)
    {
        dst[i * stride] = sum * scale;
        sum += at(i + radius + 1) - at(i - radius);
    }
}

// Resamples one axis: area average when shrinking, linear interpolation when growing.
void ResampleLine(const float* src, int srcCount, int srcStride, float* dst, int dstCount, int dstStride)
{
    const double scale = static_cast<double>(srcCount) / dstCount;
    if (scale <= 1.0)
    {
        for (int i = 0; i < dstCount; ++i)
        {
            const double pos = (i + 0.5) * scale - 0.5;
            const int i0 = static_cast<int>(std::floor(pos));
            const float t = static_cast<float>(pos - i0);
            const float a = src[std::clamp(i0, 0, srcCount - 1) * srcStride];
            const float b = src[std::clamp(i0 + 1, 0, srcCount - 1) * srcStride];
            dst[i * dstStride] = a + (b - a) * t;
        }
        return;
    }
    for (int i = 0; i < dstCount; ++i)
    {
        const double lo = i * scale;
        const double hi = (i + 1) * scale;
        double sum = 0.0;
        for (int s = static_cast<int>(lo); s < hi && s < srcCount; ++s)
        {
            const double weight = std::min<double>(hi, s + 1) - std::max<double>(lo, s);
            sum += weight * src[s * srcStride];
        }
        dst[i * dstStride] = static_cast<float>(sum / scale);
    }
}

uint8_t ToByte(float v)
{
    const float c = std::clamp(v, 0.0f, 1.0f);
    return static_cast<uint8_t>(std::lround(c * 255.0f));
}

}  // namespace

Plane::Plane(int width, int height, float fill)
    : m_width(width), m_height(height), m_x1(width), m_y1(height), m_values(static_cast<size_t>(width) * height, fill)
{
}

void Plane::SetExtent(int x0, int y0, int x1, int y1)
{
    m_x0 = std::clamp(x0, 0, m_width);
    m_y0 = std::clamp(y0, 0, m_height);
    m_x1 = std::clamp(x1, m_x0, m_width);
    m_y1 = std::clamp(y1, m_y0, m_height);
}

float Plane::Sample(float x, float y) const
{
    const float px = x - 0.5f;
    const float py = y - 0.5f;
    const int x0 = static_cast<int>(std::floor(px));
    const int y0 = static_cast<int>(std::floor(py));
    const float tx = px - x0;
    const float ty = py - y0;
    auto at = [&](int xi, int yi) { return At(std::clamp(xi, 0, m_width - 1), std::clamp(yi, 0, m_height - 1)); };
    const float top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * tx;
    const float bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * tx;
    return top + (bottom - top) * ty;
}

void Plane::Fill(float value) { std::fill(m_values.begin(), m_values.end(), value); }

void Plane::Max(const Plane& other)
{
    for (size_t i = 0; i < m_values.size(); ++i)
        m_values[i] = std::max(m_values[i], other.m_values[i]);
    SetExtent(0, 0, m_width, m_height);
}

void Plane::Add(const Plane& other, float scale)
{
    for (int y = other.m_y0; y < other.m_y1; ++y)
    {
        const size_t row = static_cast<size_t>(y) * m_width;
        for (int x = other.m_x0; x < other.m_x1; ++x)
            m_values[row + x] += other.m_values[row + x] * scale;
    }
    // What was added may lie outside this plane's own extent.
    SetExtent(std::min(m_x0, other.m_x0), std::min(m_y0, other.m_y0), std::max(m_x1, other.m_x1),
              std::max(m_y1, other.m_y1));
}

void Plane::Multiply(const Plane& other)
{
    for (size_t i = 0; i < m_values.size(); ++i)
        m_values[i] *= other.m_values[i];
}

Plane Plane::Inverted() const
{
    Plane result(m_width, m_height);
    for (size_t i = 0; i < m_values.size(); ++i)
        result.m_values[i] = 1.0f - m_values[i];
    return result;
}

Plane Plane::Blurred(float radius) const
{
    // Three box passes approximate a Gaussian of standard deviation `radius`.
    const int box = std::max(0, static_cast<int>(std::lround(std::sqrt(4.0f * radius * radius + 1.0f) * 0.5f)));
    Plane a = *this;
    // Blurring spreads values beyond any narrowed extent.
    a.SetExtent(0, 0, m_width, m_height);
    Plane b(m_width, m_height);
    for (int pass = 0; pass < 3; ++pass)
    {
        for (int y = 0; y < m_height; ++y)
            BoxLine(&a.At(0, y), &b.At(0, y), m_width, 1, box);
        for (int x = 0; x < m_width; ++x)
            BoxLine(&b.At(x, 0), &a.At(x, 0), m_height, m_width, box);
    }
    return a;
}

Plane Plane::Resampled(int width, int height) const
{
    Plane wide(width, m_height);
    for (int y = 0; y < m_height; ++y)
        ResampleLine(&m_values[static_cast<size_t>(y) * m_width], m_width, 1, &wide.At(0, y), width, 1);
    Plane result(width, height);
    for (int x = 0; x < width; ++x)
        ResampleLine(&wide.At(x, 0), m_height, width, &result.At(x, 0), height, width);
    return result;
}

Canvas::Canvas(int width, int height, Rgb fill)
    : r(width, height, fill.r), g(width, height, fill.g), b(width, height, fill.b)
{
}

void Canvas::Add(const Plane& mask, Rgb colour)
{
    r.Add(mask, colour.r);
    g.Add(mask, colour.g);
    b.Add(mask, colour.b);
}

void Canvas::Paint(const Plane& mask, Rgb colour)
{
    auto& rv = r.Values();
    auto& gv = g.Values();
    auto& bv = b.Values();
    const auto& m = mask.Values();
    const size_t width = static_cast<size_t>(Width());
    for (int y = mask.ExtentY0(); y < mask.ExtentY1(); ++y)
        for (int x = mask.ExtentX0(); x < mask.ExtentX1(); ++x)
        {
            const size_t i = y * width + x;
            const float t = std::clamp(m[i], 0.0f, 1.0f);
            rv[i] += (colour.r - rv[i]) * t;
            gv[i] += (colour.g - gv[i]) * t;
            bv[i] += (colour.b - bv[i]) * t;
        }
}

void Canvas::Multiply(const Plane& mask)
{
    r.Multiply(mask);
    g.Multiply(mask);
    b.Multiply(mask);
}

void Canvas::Add(const Canvas& other, float scale)
{
    r.Add(other.r, scale);
    g.Add(other.g, scale);
    b.Add(other.b, scale);
}

void Canvas::Bloom(float radius, float threshold, float strength)
{
    Canvas bright(Width(), Height());
    for (int y = 0; y < Height(); ++y)
        for (int x = 0; x < Width(); ++x)
        {
            const Rgb c = Get(x, y);
            const float level = std::max({c.r, c.g, c.b});
            if (level > threshold)
                bright.Set(x, y, c * ((level - threshold) / level));
        }
    Add(bright.Blurred(radius), strength);
}

Canvas Canvas::Blurred(float radius) const
{
    Canvas result;
    result.r = r.Blurred(radius);
    result.g = g.Blurred(radius);
    result.b = b.Blurred(radius);
    return result;
}

Canvas Canvas::Resampled(int width, int height) const
{
    Canvas result;
    result.r = r.Resampled(width, height);
    result.g = g.Resampled(width, height);
    result.b = b.Resampled(width, height);
    return result;
}

void Canvas::ToneMap()
{
    auto& rv = r.Values();
    auto& gv = g.Values();
    auto& bv = b.Values();
    for (size_t i = 0; i < rv.size(); ++i)
    {
        const float level = std::max({rv[i], gv[i], bv[i]});
        if (level > 1.0f)
        {
            // Light beyond full brightness turns the colour towards white, as an over-exposed
            // glow does, instead of shifting its hue by clipping one channel.
            const float spill = std::min(1.0f, (level - 1.0f) * 0.7f);
            rv[i] = std::min(1.0f, rv[i] + spill);
            gv[i] = std::min(1.0f, gv[i] + spill);
            bv[i] = std::min(1.0f, bv[i] + spill);
        }
        rv[i] = std::clamp(rv[i], 0.0f, 1.0f);
        gv[i] = std::clamp(gv[i], 0.0f, 1.0f);
        bv[i] = std::clamp(bv[i], 0.0f, 1.0f);
    }
}

Image8 Canvas::ToImage8() const
{
    Image8 image;
    image.width = Width();
    image.height = Height();
    image.rgb.resize(static_cast<size_t>(image.width) * image.height * 3);
    const auto& rv = r.Values();
    const auto& gv = g.Values();
    const auto& bv = b.Values();
    for (size_t i = 0; i < rv.size(); ++i)
    {
        image.rgb[i * 3 + 0] = ToByte(rv[i]);
        image.rgb[i * 3 + 1] = ToByte(gv[i]);
        image.rgb[i * 3 + 2] = ToByte(bv[i]);
    }
    return image;
}

float Canvas::Brightness(int x, int y) const
{
    return 0.299f * r.At(x, y) + 0.587f * g.At(x, y) + 0.114f * b.At(x, y);
}

Image8 GreyImage(const Plane& plane)
{
    Image8 image;
    image.width = plane.Width();
    image.height = plane.Height();
    image.rgb.resize(static_cast<size_t>(image.width) * image.height * 3);
    const auto& v = plane.Values();
    for (size_t i = 0; i < v.size(); ++i)
    {
        const uint8_t byte = ToByte(v[i]);
        image.rgb[i * 3 + 0] = byte;
        image.rgb[i * 3 + 1] = byte;
        image.rgb[i * 3 + 2] = byte;
    }
    return image;
}

Image8 ResizeImage8(const Image8& image, int width, int height)
{
    Canvas canvas(image.width, image.height);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
        {
            const size_t i = (static_cast<size_t>(y) * image.width + x) * 3;
            canvas.Set(x, y, {image.rgb[i] / 255.0f, image.rgb[i + 1] / 255.0f, image.rgb[i + 2] / 255.0f});
        }
    return canvas.Resampled(width, height).ToImage8();
}
