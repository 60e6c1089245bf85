// Float pictures for painting: a Plane is one channel (also used as a coverage mask), a Canvas
// three. Pictures are painted in float at a comfortable working size, then resampled to the
// texture size and quantised to 8-bit RGB. Row 0 is the TOP row everywhere in the generator;
// the writers turn that into each file format's own row order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Rgb
{
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator*(Rgb a, float s) { return {a.r * s, a.g * s, a.b * s}; }
inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
inline Rgb Mix(Rgb a, Rgb b, float t) { return a + (b + a * -1.0f) * t; }

// An 8-bit RGB picture, top row first, rows packed.
struct Image8
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

class Plane
{
public:
    Plane() = default;
    Plane(int width, int height, float fill = 0.0f);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    float& At(int x, int y) { return m_values[static_cast<size_t>(y) * m_width + x]; }
    float At(int x, int y) const { return m_values[static_cast<size_t>(y) * m_width + x]; }
    // Bilinear sample at pixel coordinates (pixel centres at +0.5), clamped to the edges.
    float Sample(float x, float y) const;

    void Fill(float value);
    // this = max(this, other) per pixel.
    void Max(const Plane& other);
    // this += other * scale.
    void Add(const Plane& other, float scale = 1.0f);
    // this *= other.
    void Multiply(const Plane& other);
    // 1 - value, per pixel.
    Plane Inverted() const;
    // Gaussian-like blur (three box passes each way) of the given radius in pixels.
    Plane Blurred(float radius) const;
    // Area-averaged resampling to a new size (down or up).
    Plane Resampled(int width, int height) const;

    std::vector<float>& Values() { return m_values; }
    const std::vector<float>& Values() const { return m_values; }

    // The rectangle [x0, x1) x [y0, y1) outside which every value is known to be 0 (the whole
    // plane unless narrowed). Adding a small shape's plane then only visits its rectangle.
    void SetExtent(int x0, int y0, int x1, int y1);
    int ExtentX0() const { return m_x0; }
    int ExtentY0() const { return m_y0; }
    int ExtentX1() const { return m_x1; }
    int ExtentY1() const { return m_y1; }

private:
    int m_width = 0;
    int m_height = 0;
    int m_x0 = 0;
    int m_y0 = 0;
    int m_x1 = 0;
    int m_y1 = 0;
    std::vector<float> m_values;
};

class Canvas
{
public:
    Canvas() = default;
    Canvas(int width, int height, Rgb fill = {});

    int Width() const { return r.Width(); }
    int Height() const { return r.Height(); }
    Rgb Get(int x, int y) const { return {r.At(x, y), g.At(x, y), b.At(x, y)}; }
    void Set(int x, int y, Rgb c)
    {
        r.At(x, y) = c.r;
        g.At(x, y) = c.g;
        b.At(x, y) = c.b;
    }

    // this += mask * colour.
    void Add(const Plane& mask, Rgb colour);
    // this = this * (1 - mask) + colour * mask.
    void Paint(const Plane& mask, Rgb colour);
    // this *= mask (all channels).
    void Multiply(const Plane& mask);
    // this += other * scale.
    void Add(const Canvas& other, float scale = 1.0f);
    // Adds a blurred copy of everything brighter than `threshold` (a soft bloom).
    void Bloom(float radius, float threshold, float strength);
    Canvas Blurred(float radius) const;
    Canvas Resampled(int width, int height) const;
    // Over-bright colours spill into white instead of clipping per channel, then clamp to 0..1.
    void ToneMap();
    // Quantises to 8-bit (after ToneMap; values are clamped again).
    Image8 ToImage8() const;
    // Luminance-like brightness of a pixel.
    float Brightness(int x, int y) const;

    Plane r;
    Plane g;
    Plane b;
};

// 8-bit picture operations used when masks and pictures are made in pairs.
Image8 GreyImage(const Plane& plane);
Image8 ResizeImage8(const Image8& image, int width, int height);
