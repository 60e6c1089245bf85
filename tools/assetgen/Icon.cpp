#include "Icon.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "Canvas.h"
#include "Shapes.h"

namespace
{

// The picture is painted this many times larger than it is written, then averaged down, so
// small sizes keep smooth edges.
constexpr int kOversample = 4;

}  // namespace

const std::vector<int>& IconSizes()
{
    static const std::vector<int> sizes = {16, 32, 48, 128, 256};
    return sizes;
}

IconImage PaintIcon(int size)
{
    const int work = size * kOversample;
    const float s = static_cast<float>(work);
    auto at = [s](float x, float y) { return Vec2{x * s, y * s}; };

    // The rounded square the picture lives in; outside it the icon is transparent.
    const Shape tile = RoundedBox(at(0.5f, 0.5f), 0.47f * s, 0.47f * s, 0.11f * s);
    const Plane alpha = Fill(tile, work, work, kOversample);

    // Deep violet at the top to dark blue at the bottom, lit from the middle.
    Canvas canvas(work, work);
    for (int y = 0; y < work; ++y)
    {
        const Rgb row = Mix(Rgb{0.16f, 0.04f, 0.26f}, Rgb{0.02f, 0.05f, 0.16f}, y / s);
        for (int x = 0; x < work; ++x)
            canvas.Set(x, y, row);
    }
    canvas.Add(Glow(Circle(at(0.5f, 0.5f), 0.02f * s), work, work, 0.16f * s), Rgb{0.30f, 0.10f, 0.45f});

    // The tunnel: rings shrinking towards the middle, fainter and thinner as they recede. Small
    // sizes keep only the rings that stay apart from each other and from the letter.
    float radius = 0.43f;
    for (int ring = 0; ring < 5 && radius * size >= 5.0f; ++ring)
    {
        const float fade = 1.0f - ring * 0.16f;
        const Shape circle = Circle(at(0.5f, 0.5f), radius * s);
        canvas.Add(Stroke(circle, work, work, std::max(0.05f * radius * s, 0.6f * kOversample), kOversample),
                   Rgb{0.10f, 0.55f, 0.85f} * fade);
        radius *= 0.66f;
    }
    // A few stars between the rings.
    const Vec2 stars[] = {{0.22f, 0.20f}, {0.80f, 0.26f}, {0.16f, 0.74f}, {0.84f, 0.80f}, {0.62f, 0.14f}};
    for (const Vec2& star : stars)
        canvas.Add(Glow(Circle(at(star.x, star.y), 0.008f * s), work, work, 0.012f * s), Rgb{0.9f, 0.9f, 1.0f});

    // The letter: two bars and a diagonal, warm from yellow at the top to orange at the
    // bottom, with a dark rim so it reads on the rings at 16 pixels.
    const Shape letter = Union({RoundedBox(at(0.5f, 0.29f), 0.23f * s, 0.065f * s, 0.02f * s),
                                RoundedBox(at(0.5f, 0.71f), 0.23f * s, 0.065f * s, 0.02f * s),
                                Polygon({at(0.60f, 0.29f), at(0.73f, 0.29f), at(0.40f, 0.71f), at(0.27f, 0.71f)})});
    canvas.Add(Glow(letter, work, work, 0.035f * s), Rgb{0.55f, 0.22f, 0.05f});
    canvas.Paint(Fill(Offset(letter, 0.025f * s), work, work, kOversample), Rgb{0.05f, 0.02f, 0.08f});
    Canvas warm(work, work);
    for (int y = 0; y < work; ++y)
    {
        const Rgb row = Mix(Rgb{1.0f, 0.92f, 0.35f}, Rgb{1.0f, 0.42f, 0.08f}, std::clamp((y / s - 0.22f) / 0.56f, 0.0f, 1.0f));
        for (int x = 0; x < work; ++x)
            warm.Set(x, y, row);
    }
    const Plane letterMask = Fill(letter, work, work, kOversample);
    canvas.Multiply(letterMask.Inverted());
    warm.Multiply(letterMask);
    canvas.Add(warm);
    canvas.Bloom(0.02f * s, 0.8f, 0.35f);
    canvas.ToneMap();

    const Image8 colour = canvas.Resampled(size, size).ToImage8();
    const Plane cover = alpha.Resampled(size, size);
    IconImage icon;
    icon.size = size;
    icon.rgba.resize(static_cast<size_t>(size) * size * 4);
    for (int i = 0; i < size * size; ++i)
    {
        std::copy_n(&colour.rgb[static_cast<size_t>(i) * 3], 3, &icon.rgba[static_cast<size_t>(i) * 4]);
        const float a = std::clamp(cover.Values()[static_cast<size_t>(i)], 0.0f, 1.0f);
        icon.rgba[static_cast<size_t>(i) * 4 + 3] = static_cast<uint8_t>(std::lround(a * 255.0f));
    }
    return icon;
}

Bytes EncodeIconPng(const IconImage& image)
{
    return EncodePngPixels(image.rgba.data(), image.size, image.size, 4, 9);
}

Bytes EncodeIco(const std::vector<IconImage>& images)
{
    std::vector<Bytes> bodies;
    for (const IconImage& image : images)
    {
        if (image.size < 1 || image.size > 256)
            throw std::runtime_error("an icon image is 1 to 256 pixels square");
        if (image.size == 256)
        {
            bodies.push_back(EncodeIconPng(image));
            continue;
        }
        const int n = image.size;
        const int maskStride = (n + 31) / 32 * 4;  // one bit a pixel, rows padded to 32 bits
        Bytes body;
        PutU32(&body, 40);     // BITMAPINFOHEADER
        PutU32(&body, n);      // width
        PutU32(&body, 2 * n);  // height: the colours and the mask
        PutU16(&body, 1);      // planes
        PutU16(&body, 32);     // bits per pixel: BGRA
        PutU32(&body, 0);      // no compression
        PutU32(&body, static_cast<uint32_t>(n * n * 4 + maskStride * n));
        for (int i = 0; i < 4; ++i)
            PutU32(&body, 0);  // resolution and palette: unused
        for (int y = n - 1; y >= 0; --y)
            for (int x = 0; x < n; ++x)
            {
                const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * n + x) * 4];
                body.insert(body.end(), {p[2], p[1], p[0], p[3]});
            }
        // The AND mask: set where the icon is fully transparent (for readers that ignore alpha).
        for (int y = n - 1; y >= 0; --y)
        {
            Bytes row(static_cast<size_t>(maskStride), 0);
            for (int x = 0; x < n; ++x)
                if (image.rgba[(static_cast<size_t>(y) * n + x) * 4 + 3] == 0)
                    row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
            body.insert(body.end(), row.begin(), row.end());
        }
        bodies.push_back(std::move(body));
    }

    Bytes out;
    PutU16(&out, 0);  // reserved
    PutU16(&out, 1);  // an icon, not a cursor
    PutU16(&out, static_cast<uint32_t>(images.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i)
    {
        const uint32_t side = images[i].size == 256 ? 0 : static_cast<uint32_t>(images[i].size);
        PutU8(&out, side);  // width, 0 meaning 256
        PutU8(&out, side);  // height
        PutU8(&out, 0);     // no palette
        PutU8(&out, 0);     // reserved
        PutU16(&out, 1);    // planes
        PutU16(&out, 32);   // bits per pixel
        PutU32(&out, static_cast<uint32_t>(bodies[i].size()));
        PutU32(&out, offset);
        offset += static_cast<uint32_t>(bodies[i].size());
    }
    for (const Bytes& body : bodies)
        out.insert(out.end(), body.begin(), body.end());
    return out;
}

bool WriteIcons(const std::string& dir, std::string* error)
{
    std::vector<IconImage> images;
    for (int size : IconSizes())
    {
        images.push_back(PaintIcon(size));
        if (!WriteFileBytes(dir + "/icons/zarnovelt-" + std::to_string(size) + ".png", EncodeIconPng(images.back()), error))
            return false;
    }
    // Windows shows 16, 32 and 48 in lists and the taskbar and scales the 256 one for the rest.
    std::vector<IconImage> windows;
    for (const IconImage& image : images)
        if (image.size != 128)
            windows.push_back(image);
    return WriteFileBytes(dir + "/zarnovelt.ico", EncodeIco(windows), error);
}
