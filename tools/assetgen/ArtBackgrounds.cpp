// The three BACKGROUND pictures and the flag. The backgrounds are lit by a wandering point
// light and added to the frame, so they are painted bright and saturated.
#include <algorithm>
#include <cmath>

#include "Art.h"
#include "Font.h"
#include "Random.h"

namespace
{

constexpr int kW = 1024;  // backgrounds are shown at 4:3
constexpr int kH = 768;

// The full-view pictures are 32 units wide where the view is 26.5 wide at 4:3 and 35.3 at 16:9:
// a wide view sees their side edges, with black beyond. They fade to black over their outer
// twelfth on each side, which a 4:3 view never shows, so the edge is not a cut.
void FadeSides(Canvas* c)
{
    const float fade = c->Width() / 12.0f;
    for (int x = 0; x < c->Width(); ++x)
    {
        const float edge = std::min(x + 0.5f, c->Width() - x - 0.5f) / fade;
        if (edge >= 1.0f)
            continue;
        const float keep = edge * edge * (3.0f - 2.0f * edge);
        for (int y = 0; y < c->Height(); ++y)
            c->Set(x, y, c->Get(x, y) * keep);
    }
}

// A sunset over a neon grid: striped sun, mountain ridges, perspective floor lines.
void MakeSunsetGrid(Generated* out)
{
    Canvas c(kW, kH);
    const float horizon = kH * 0.60f;
    const Plane sky = Fill(RoundedBox({kW * 0.5f, horizon * 0.5f}, kW, horizon * 0.5f, 0), kW, kH, 1.0f);
    AddVerticalGradient(&c, sky, {0.05f, 0.02f, 0.20f}, {0.85f, 0.20f, 0.50f}, 0, horizon);
    c.Add(StarDust(kW, kH, 260, 5, 1.6f), {0.8f, 0.8f, 1.0f});

    // The sun, cut by widening gaps towards its lower edge.
    const Vec2 sunCentre{kW * 0.5f, horizon - 40.0f};
    const float sunRadius = 180.0f;
    Plane sun = Fill(Circle(sunCentre, sunRadius), kW, kH);
    for (int y = 0; y < kH; ++y)
    {
        const float v = (y + 0.5f - (sunCentre.y - 20.0f)) / sunRadius;
        if (v <= 0.0f)
            continue;
        const float gap = std::fmod(v * 8.0f, 1.0f) < v * 0.55f ? 0.0f : 1.0f;
        for (int x = 0; x < kW; ++x)
            sun.At(x, y) *= gap;
    }
    c.Add(Glow(Circle(sunCentre, sunRadius), kW, kH, 60.0f), Rgb{1.0f, 0.35f, 0.4f} * 0.25f);
    // The sun replaces the sky behind it, so it keeps its colours instead of burning to white.
    c.Multiply(sun.Inverted());
    AddVerticalGradient(&c, sun, {1.0f, 0.85f, 0.15f}, {1.0f, 0.15f, 0.45f}, sunCentre.y - sunRadius, sunCentre.y + sunRadius);

    // Two mountain ridges in front of the sun.
    for (int layer = 0; layer < 2; ++layer)
    {
        std::vector<Vec2> ridge = {{0, horizon + 2}};
        Rng rng(40 + layer);
        const int peaks = 14 + layer * 6;
        for (int i = 0; i <= peaks; ++i)
        {
            const float x = kW * i / static_cast<float>(peaks);
            const float centreFalloff = 0.35f + 0.65f * std::fabs(x - kW * 0.5f) / (kW * 0.5f);
            const float height = (layer == 0 ? 150.0f : 80.0f) * centreFalloff * rng.Range(0.4f, 1.0f);
            ridge.push_back({x, horizon - height});
        }
        ridge.push_back({static_cast<float>(kW), horizon + 2});
        const Shape mountains = Polygon(ridge);
        const Rgb fillColour = layer == 0 ? Rgb{0.10f, 0.03f, 0.20f} : Rgb{0.05f, 0.01f, 0.12f};
        c.Paint(Fill(mountains, kW, kH), fillColour);
        AddNeon(&c, Polyline(std::vector<Vec2>(ridge.begin() + 1, ridge.end() - 1), 0.8f, false),
                layer == 0 ? palette::kViolet : palette::kMagenta, 0.0f, 5.0f, 0.7f);
    }

    // The floor: dark with converging and receding grid lines.
    const Plane floor = Fill(RoundedBox({kW * 0.5f, (horizon + kH) * 0.5f}, kW, (kH - horizon) * 0.5f, 0), kW, kH);
    AddVerticalGradient(&c, floor, {0.12f, 0.02f, 0.18f}, {0.02f, 0.0f, 0.05f}, horizon, kH);
    const Plane grid = MakePlane(kW, kH, [&](float x, float y) {
        if (y <= horizon)
            return 0.0f;
        const float depth = 60.0f / (y - horizon + 1.0f);  // distance along the floor
        const float lateral = (x - kW * 0.5f) * depth / 60.0f;
        const float across = std::fabs(std::remainder(lateral, 1.4f)) / depth * 60.0f;  // in pixels
        const float along = std::fabs(std::remainder(depth + 0.0f, 1.0f)) * (y - horizon) / depth;
        const float lineA = std::exp(-across * across / 2.0f);
        const float lineB = std::exp(-along * along / 2.0f);
        return std::max(lineA, lineB) * std::min(1.0f, (y - horizon) / 40.0f);
    });
    c.Add(grid.Blurred(3.0f), palette::kMagenta * 0.8f);
    c.Add(grid, palette::kCyan * 0.9f);
    c.Add(Glow(Ellipse({kW * 0.5f, horizon}, kW * 0.6f, 2.0f), kW, kH, 14.0f), Rgb{1.0f, 0.5f, 0.6f} * 0.8f);
    FadeSides(&c);
    EmitPicture(out, "t_background_01.jpg", c, 512, 512);
}

// A framed view port: a nebula behind a glowing ring, inside a bevelled screen frame. It is
// drawn smaller than the view and off-centre, so it carries its own frame.
void MakeNebulaPort(Generated* out)
{
    Canvas c(kW, kH);
    const Plane nebulaA = MakePlane(kW, kH, [](float x, float y) {
        const float n = FractalNoise(x * 0.004f, y * 0.004f, 77, 6);
        return std::pow(std::clamp((n - 0.35f) * 2.2f, 0.0f, 1.0f), 1.6f);
    });
    const Plane nebulaB = MakePlane(kW, kH, [](float x, float y) {
        const float n = FractalNoise(x * 0.006f + 3.0f, y * 0.005f, 78, 6);
        return std::pow(std::clamp((n - 0.4f) * 2.5f, 0.0f, 1.0f), 1.4f);
    });
    c.Add(nebulaA, {0.10f, 0.55f, 0.70f});
    c.Add(nebulaB, {0.65f, 0.15f, 0.60f});
    c.Add(StarDust(kW, kH, 420, 9, 2.2f), {0.9f, 0.9f, 1.0f});

    const Vec2 centre{kW * 0.5f, kH * 0.5f};
    c.Add(Glow(Circle(centre, 120.0f), kW, kH, 50.0f), palette::kViolet * 0.4f);
    AddNeon(&c, Circle(centre, 190.0f), palette::kCyan, 10.0f, 26.0f, 1.2f);
    AddNeon(&c, Circle(centre, 150.0f), palette::kMagenta, 3.0f, 10.0f, 0.8f);
    // Tick marks around the ring, like a dial.
    for (int i = 0; i < 48; ++i)
    {
        const float a = i * 6.2831853f / 48.0f;
        const float inner = i % 4 == 0 ? 206.0f : 212.0f;
        AddNeon(&c, Capsule({centre.x + inner * std::cos(a), centre.y + inner * std::sin(a)},
                            {centre.x + 224.0f * std::cos(a), centre.y + 224.0f * std::sin(a)}, 1.2f),
                palette::kCyan, 0.0f, 3.0f, 0.6f);
    }

    // The screen frame.
    const Shape screen = RoundedBox(centre, kW * 0.5f - 30.0f, kH * 0.5f - 30.0f, 40.0f);
    const Plane frame = Fill(screen, kW, kH).Inverted();
    c.Multiply(Fill(screen, kW, kH));
    AddVerticalGradient(&c, frame, {0.45f, 0.42f, 0.55f}, {0.15f, 0.12f, 0.22f}, 0, kH);
    AddNeon(&c, screen, palette::kAmber, 4.0f, 10.0f, 1.0f);
    for (float sx : {-1.0f, 1.0f})
        for (float sy : {-1.0f, 1.0f})
            c.Add(Glow(Circle({centre.x + sx * (kW * 0.5f - 14.0f), centre.y + sy * (kH * 0.5f - 14.0f)}, 5.0f), kW, kH, 3.0f),
                  palette::kWhite * 0.8f);
    EmitPicture(out, "t_background_02.jpg", c, 512, 512);
}

// Aurora curtains over a still sea under a starry sky.
void MakeAurora(Generated* out)
{
    Canvas c(kW, kH);
    const float horizon = kH * 0.68f;
    const Plane sky = Fill(RoundedBox({kW * 0.5f, horizon * 0.5f}, kW, horizon * 0.5f, 0), kW, kH, 1.0f);
    AddVerticalGradient(&c, sky, {0.01f, 0.02f, 0.08f}, {0.05f, 0.12f, 0.22f}, 0, horizon);
    c.Add(StarDust(kW, kH, 320, 13, 1.8f), {0.85f, 0.9f, 1.0f});

    // Curtains: bright lower edges along wavy lines, fading upwards, with vertical rays.
    for (int band = 0; band < 3; ++band)
    {
        const float baseY = horizon * (0.45f + band * 0.13f);
        const Rgb lower = band == 1 ? Rgb{0.6f, 0.2f, 0.9f} : Rgb{0.2f, 1.0f, 0.55f};
        const Rgb upper = band == 1 ? Rgb{0.9f, 0.2f, 0.6f} : Rgb{0.1f, 0.5f, 0.9f};
        const Plane curtain = MakePlane(kW, kH, [&](float x, float y) {
            const float wave = baseY + 60.0f * std::sin(x * 0.006f + band * 1.7f) + 25.0f * std::sin(x * 0.017f + band);
            const float above = wave - y;
            if (above < -6.0f)
                return 0.0f;
            const float rays = 0.55f + 0.45f * FractalNoise(x * 0.05f, band * 10.0f, 90 + band, 3);
            const float fade = above < 0.0f ? std::exp(above / 3.0f) : std::exp(-above / (110.0f + 40.0f * band));
            return fade * rays;
        });
        const float strength = band == 1 ? 0.8f : 1.0f;
        for (int y = 0; y < kH; ++y)
        {
            const float t = std::clamp((horizon - y) / horizon, 0.0f, 1.0f);
            const Rgb colour = Mix(lower, upper, t) * strength;
            for (int x = 0; x < kW; ++x)
            {
                const float v = curtain.At(x, y);
                if (y < horizon && v > 0.0f)
                    c.Set(x, y, c.Get(x, y) + colour * v);
            }
        }
    }
    // Dark hills on the horizon and the sea mirroring the sky above.
    std::vector<Vec2> hills = {{0, horizon + 2}};
    Rng rng(17);
    for (int i = 0; i <= 24; ++i)
        hills.push_back({kW * i / 24.0f, horizon - rng.Range(4.0f, 40.0f) * (i % 5 == 2 ? 1.8f : 1.0f)});
    hills.push_back({static_cast<float>(kW), horizon + 2});
    for (int y = static_cast<int>(horizon); y < kH; ++y)
    {
        const float mirrorY = 2.0f * horizon - y;
        const float depth = (y - horizon) / (kH - horizon);
        for (int x = 0; x < kW; ++x)
        {
            const float ripple = 3.0f * std::sin(y * 0.9f + x * 0.01f) * depth;
            const int sx = std::clamp(static_cast<int>(x + ripple), 0, kW - 1);
            const int sy = std::clamp(static_cast<int>(mirrorY), 0, kH - 1);
            c.Set(x, y, c.Get(sx, sy) * (0.55f * (1.0f - 0.6f * depth)));
        }
    }
    c.Paint(Fill(Polygon(hills), kW, kH), {0.01f, 0.015f, 0.03f});
    AddNeon(&c, Polyline(std::vector<Vec2>(hills.begin() + 1, hills.end() - 1), 0.6f, false), palette::kLime, 0.0f, 4.0f, 0.35f);
    FadeSides(&c);
    EmitPicture(out, "t_background_03.jpg", c, 512, 512);
}

// The flag: the group's banner, drawn additively on a waving mesh.
void MakeFlag(Generated* out)
{
    const int s = 512;
    Canvas c(s, s);
    // Field: violet with a diagonal cyan band.
    const Plane all(s, s, 1.0f);
    AddVerticalGradient(&c, all, {0.30f, 0.08f, 0.55f}, {0.12f, 0.03f, 0.30f}, 0, s);
    const Shape band = Polygon({{0, 300}, {0, 400}, {400, 0}, {300, 0}});
    c.Paint(Fill(band, s, s), {0.05f, 0.55f, 0.75f});
    const Shape band2 = Polygon({{112, 512}, {212, 512}, {512, 212}, {512, 112}});
    c.Paint(Fill(band2, s, s), {0.75f, 0.15f, 0.45f});
    // A golden emblem: a crescent with three reeds.
    const Vec2 centre{256, 236};
    c.Paint(Fill(Circle(centre, 118), s, s), {0.05f, 0.02f, 0.10f});
    const Shape crescent = Difference(Circle(centre, 96), Circle({centre.x + 40, centre.y - 26}, 84));
    c.Add(Glow(crescent, s, s, 10.0f), palette::kAmber * 0.5f);
    c.Paint(Fill(crescent, s, s), {1.0f, 0.78f, 0.25f});
    for (int i = -1; i <= 1; ++i)
    {
        const float x = centre.x + 26.0f + i * 24.0f;
        const std::vector<Vec2> reed = {{x, centre.y + 88}, {x - 4, centre.y + 10}, {x + 6 * i, centre.y - 56 + std::abs(i) * 20.0f}};
        AddNeon(&c, Polyline(reed, 3.0f, false), palette::kLime, 0.0f, 5.0f, 1.0f);
        c.Add(Fill(Ellipse({reed.back().x, reed.back().y - 10}, 6, 16), s, s), {0.6f, 1.0f, 0.5f});
    }
    AddNeon(&c, Circle(centre, 118), palette::kAmber, 6.0f, 10.0f, 1.0f);
    // The group's name along the bottom.
    Font font(FontFace::SansBold);
    Plane text(s, s);
    font.Draw(&text, "QUILLMARSH", 256, 452, font.FitSize("QUILLMARSH", 70.0f, 440.0f, 6.0f), TextAlign::Centre, 6.0f);
    c.Paint(text.Blurred(4.0f), {0.0f, 0.0f, 0.0f});
    c.Add(text, {1.0f, 0.95f, 0.85f});
    // Hem along the edges.
    c.Add(Stroke(RoundedBox({256, 256}, 250, 250, 4), s, s, 8.0f), {0.9f, 0.75f, 0.3f});
    EmitPicture(out, "t_flag.jpg", c, 256, 256);
}

}  // namespace

void MakeBackgroundTextures(Generated* out)
{
    MakeSunsetGrid(out);
    MakeNebulaPort(out);
    MakeAurora(out);
    MakeFlag(out);
}
