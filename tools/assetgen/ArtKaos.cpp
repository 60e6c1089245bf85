// The KAOS composition's fifteen pictures: two loudspeakers, the group's glow logo, the house
// with its outer shape, the hammer, the cube's plate and gloss, and the head.
#include <algorithm>
#include <cmath>

#include "Art.h"
#include "Font.h"
#include "Random.h"

namespace
{

constexpr int kWork = 512;  // working size of the square KAOS pictures (written at 256)
constexpr float kPi = 3.14159265f;

float Distance(Vec2 a, float x, float y) { return std::sqrt((x - a.x) * (x - a.x) + (y - a.y) * (y - a.y)); }

// A disc filled with a radial profile: colour(t) where t = 0 at the centre and 1 at the rim.
template <typename Profile>
void PaintDisc(Canvas* canvas, Vec2 centre, float radius, Profile profile)
{
    const Plane cover = Fill(Circle(centre, radius), canvas->Width(), canvas->Height());
    for (int y = 0; y < canvas->Height(); ++y)
        for (int x = 0; x < canvas->Width(); ++x)
        {
            const float m = cover.At(x, y);
            if (m <= 0.0f)
                continue;
            const float t = Distance(centre, x + 0.5f, y + 0.5f) / radius;
            canvas->Set(x, y, Mix(canvas->Get(x, y), profile(t, x + 0.5f - centre.x, y + 0.5f - centre.y), m));
        }
}

// A small specular spot (soft white) for glossy parts.
void AddHighlight(Canvas* canvas, Vec2 centre, float radius, float strength)
{
    canvas->Add(Glow(Circle(centre, radius * 0.2f), canvas->Width(), canvas->Height(), radius * 0.35f),
                palette::kWhite * strength);
}

Canvas PaintLoudspeaker(float cx, Rgb accent, Plane* cover)
{
    Canvas c(kWork, kWork);
    const Shape body = RoundedBox({cx, 256}, 150, 238, 26);
    const Plane bodyCover = Fill(body, kWork, kWork);
    // Dark vinyl body with a faint grain.
    AddVerticalGradient(&c, bodyCover, {0.13f, 0.13f, 0.18f}, {0.05f, 0.05f, 0.08f}, 18, 494);
    const Plane grain = MakePlane(kWork, kWork, [](float x, float y) { return FractalNoise(x * 0.08f, y * 0.01f, 7, 3) - 0.5f; });
    Plane grainMasked = grain;
    grainMasked.Multiply(bodyCover);
    c.Add(grainMasked, {0.05f, 0.05f, 0.06f});
    // Bevel: a light edge on the body.
    c.Add(Stroke(Offset(body, -6), kWork, kWork, 3.0f), {0.22f, 0.22f, 0.28f});

    // Tweeter: metal plate, dome with a highlight, accent ring.
    const Vec2 tweeter{cx, 108};
    PaintDisc(&c, tweeter, 60, [](float t, float, float) { return Rgb{0.20f, 0.20f, 0.24f} * (1.1f - 0.5f * t); });
    PaintDisc(&c, tweeter, 32, [](float t, float dx, float dy) {
        const float light = std::clamp(0.9f - t * 0.7f - (dx + dy) * 0.004f, 0.0f, 1.0f);
        return Rgb{0.35f, 0.36f, 0.42f} * light;
    });
    AddHighlight(&c, {tweeter.x - 10, tweeter.y - 10}, 18, 0.9f);
    AddNeon(&c, Circle(tweeter, 45), accent, 4.0f, 8.0f, 0.9f);

    // Woofer: rubber surround, ribbed cone, dust cap, accent ring.
    const Vec2 woofer{cx, 300};
    PaintDisc(&c, woofer, 128, [](float t, float dx, float dy) {
        const float light = 0.10f + 0.10f * std::clamp(-(dx + dy) / 180.0f, -1.0f, 1.0f);
        return Rgb{light, light, light * 1.2f} * (0.6f + 0.4f * std::sin(t * kPi));
    });
    PaintDisc(&c, woofer, 110, [](float t, float, float) {
        const float ridges = 0.5f + 0.5f * std::cos(t * 38.0f);
        const float base = 0.06f + 0.16f * (1.0f - t);
        return Rgb{base, base, base * 1.15f} * (0.85f + 0.25f * ridges);
    });
    PaintDisc(&c, woofer, 40, [](float t, float dx, float dy) {
        const float light = std::clamp(0.55f - 0.35f * t - (dx + dy) * 0.006f, 0.0f, 1.0f);
        return Rgb{light * 0.8f, light * 0.82f, light};
    });
    AddHighlight(&c, {woofer.x - 14, woofer.y - 14}, 22, 0.7f);
    c.Add(Glow(Circle(woofer, 104), kWork, kWork, 18.0f), accent * 0.08f);
    AddNeon(&c, Circle(woofer, 132), accent, 5.0f, 12.0f, 1.0f);

    // Bass port.
    const Shape port = RoundedBox({cx, 450}, 72, 15, 15);
    c.Paint(Fill(port, kWork, kWork), {0.0f, 0.0f, 0.0f});
    AddNeon(&c, port, accent, 2.5f, 6.0f, 0.7f);

    // Screws in the corners.
    for (float sx : {-124.0f, 124.0f})
        for (float sy : {-212.0f, 212.0f})
        {
            const Vec2 p{cx + sx, 256 + sy};
            PaintDisc(&c, p, 7, [](float t, float, float) { return Rgb{0.45f, 0.45f, 0.5f} * (1.0f - 0.5f * t); });
        }

    // The neon rim of the cabinet, kept inside the cover so the mask hides nothing of it.
    AddNeon(&c, body, accent, 5.0f, 9.0f, 1.1f);
    *cover = Fill(Offset(body, 10), kWork, kWork, 6.0f);
    return c;
}

void MakeLoudspeakers(Generated* out)
{
    Plane cover;
    // The speakers sit at the sides of the view and their outer parts fall outside it, so the
    // cabinet is drawn towards the inner edge of each picture.
    Canvas left = PaintLoudspeaker(318, palette::kCyan, &cover);
    EmitMaskedPair(out, "kaos/k_loudspeaker_l_image.jpg", "kaos/k_loudspeaker_l_mask.jpg", left, cover, 256, 256);
    Canvas right = PaintLoudspeaker(kWork - 318, palette::kMagenta, &cover);
    EmitMaskedPair(out, "kaos/k_loudspeaker_r_image.jpg", "kaos/k_loudspeaker_r_mask.jpg", right, cover, 256, 256);
}

void MakeGlowLogo(Generated* out)
{
    // The band is drawn 12 x 4 units; the picture is painted at that shape and squeezed into a
    // 512 x 128 texture.
    const int w = 1536;
    const int h = 512;
    Font font(FontFace::SerifBoldItalic);
    const std::string name = "Quillmarsh";
    const float size = font.FitSize(name, 330.0f, 1300.0f);
    Plane text(w, h);
    font.Draw(&text, name, w * 0.5f, 330.0f, size);

    Canvas c(w, h);
    c.Add(text.Blurred(34.0f), palette::kMagenta * 1.6f);
    c.Add(text.Blurred(12.0f), palette::kViolet * 1.4f);
    // Letter faces: white-hot at the top, cyan at the baseline.
    Plane face = text;
    AddVerticalGradient(&c, face, {1.0f, 1.0f, 1.0f}, palette::kCyan, 150, 340);
    // A thin horizontal flare through the word.
    const Shape streak = Ellipse({w * 0.5f, 262.0f}, 700.0f, 3.0f);
    c.Add(Glow(streak, w, h, 10.0f), palette::kCyan * 0.6f);
    c.Add(Fill(streak, w, h, 3.0f), palette::kWhite * 0.8f);

    Plane cover = text.Blurred(22.0f);
    for (float& v : cover.Values())
        v = std::clamp(v * 9.0f - 0.2f, 0.0f, 1.0f);
    cover.Max(Fill(Ellipse({w * 0.5f, 262.0f}, 690.0f, 9.0f), w, h, 6.0f));
    EmitMaskedPair(out, "kaos/k_quillmarsh_glow_02_image.jpg", "kaos/k_quillmarsh_glow_02_mask.jpg", c, cover, 512, 128);
}

Shape HouseShape()
{
    return Polygon({{116, 452}, {116, 262}, {84, 262}, {256, 102}, {328, 169}, {328, 126}, {374, 126}, {374, 212},
                    {428, 262}, {396, 262}, {396, 452}});
}

void MakeHouse(Generated* out)
{
    const Shape house = HouseShape();
    Canvas c(kWork, kWork);
    const Plane houseCover = Fill(house, kWork, kWork);
    AddVerticalGradient(&c, houseCover, {0.20f, 0.05f, 0.22f}, {0.08f, 0.02f, 0.14f}, 100, 452);
    // Roof tiles: faint lines above the eaves.
    const Plane tiles = MakePlane(kWork, kWork, [](float x, float y) {
        if (y > 262)
            return 0.0f;
        const float row = std::fmod(y, 20.0f);
        const float offset = (static_cast<int>(y / 20.0f) % 2) * 16.0f;
        const float column = std::fmod(x + offset, 32.0f);
        return (row < 2.0f || column < 2.0f) ? 1.0f : 0.0f;
    });
    Plane tilesMasked = tiles;
    tilesMasked.Multiply(houseCover);
    c.Add(tilesMasked, {0.25f, 0.06f, 0.20f});

    // Lit windows with dark crossbars, a glowing door and a round attic window.
    for (float wx : {184.0f, 328.0f})
    {
        const Shape window = RoundedBox({wx, 322}, 36, 32, 4);
        c.Add(Glow(window, kWork, kWork, 16.0f), palette::kAmber * 0.5f);
        c.Paint(Fill(window, kWork, kWork), {1.0f, 0.78f, 0.35f});
        c.Paint(Fill(Union(RoundedBox({wx, 322}, 3, 32, 1), RoundedBox({wx, 322}, 36, 3, 1)), kWork, kWork),
                {0.15f, 0.05f, 0.12f});
    }
    const Shape door = RoundedBox({256, 404}, 30, 48, 10);
    c.Paint(Fill(door, kWork, kWork), {0.10f, 0.02f, 0.10f});
    AddNeon(&c, door, palette::kMagenta, 3.0f, 8.0f, 0.9f);
    c.Add(Fill(Circle({276, 408}, 4), kWork, kWork), palette::kAmber);
    const Shape attic = Circle({256, 208}, 22);
    c.Paint(Fill(attic, kWork, kWork), {0.5f, 0.95f, 1.0f});
    c.Add(Glow(attic, kWork, kWork, 10.0f), palette::kCyan * 0.5f);
    AddNeon(&c, house, palette::kMagenta, 5.0f, 10.0f, 1.1f);
    // Smoke puffs from the chimney.
    for (int i = 0; i < 3; ++i)
        c.Add(Glow(Circle({352.0f + i * 14.0f, 100.0f - i * 30.0f}, 8.0f + i * 3.0f), kWork, kWork, 6.0f),
              Rgb{0.35f, 0.3f, 0.45f} * (0.8f - i * 0.2f));
    Plane cover = Fill(Offset(house, 9), kWork, kWork, 5.0f);
    cover.Max(Fill(Union({Circle({352, 100}, 18), Circle({366, 70}, 20), Circle({380, 40}, 22)}), kWork, kWork, 5.0f));
    EmitMaskedPair(out, "kaos/k_fuckhouse_image.jpg", "kaos/k_fuckhouse_mask.jpg", c, cover, 256, 256);

    // The outer shape: the house's outline alone, glowing; it grows out of the picture.
    Canvas shape(kWork, kWork);
    AddNeon(&shape, house, {1.0f, 0.35f, 0.85f}, 9.0f, 20.0f, 1.3f);
    AddNeon(&shape, Offset(house, 18), palette::kViolet, 3.0f, 10.0f, 0.6f);
    EmitPicture(out, "kaos/k_fuckhouse_outershape.jpg", shape, 256, 256);
}

void MakeHammer(Generated* out)
{
    Canvas c(kWork, kWork);
    // The picture turns about the middle of its lower edge, so the handle ends there.
    const Shape handle = RoundedBox({256, 350}, 19, 158, 12);
    const Shape head = RoundedBox({256, 136}, 168, 70, 16);
    const Shape faceLeft = RoundedBox({96, 136}, 24, 82, 10);
    const Shape faceRight = RoundedBox({416, 136}, 24, 82, 10);
    const Shape collar = RoundedBox({256, 216}, 32, 16, 6);
    const Shape hammer = Union({handle, head, faceLeft, faceRight, collar});

    AddVerticalGradient(&c, Fill(handle, kWork, kWork), {0.30f, 0.18f, 0.10f}, {0.16f, 0.09f, 0.05f}, 190, 508);
    // Grip wraps.
    const Plane wraps = MakePlane(kWork, kWork, [](float x, float y) {
        if (y < 380)
            return 0.0f;
        return std::fmod(y + x * 0.4f, 22.0f) < 9.0f ? 1.0f : 0.0f;
    });
    Plane wrapsMasked = wraps;
    wrapsMasked.Multiply(Fill(handle, kWork, kWork));
    c.Paint(wrapsMasked, {0.55f, 0.32f, 0.10f});
    // Steel head: bright top edge, dark underside, cool tint.
    const Plane headCover = Fill(Union({head, faceLeft, faceRight, collar}), kWork, kWork);
    AddVerticalGradient(&c, headCover, {0.78f, 0.82f, 0.92f}, {0.10f, 0.11f, 0.16f}, 60, 220);
    const Plane brushed = MakePlane(kWork, kWork, [](float x, float y) { return FractalNoise(x * 0.01f, y * 0.4f, 11, 3) - 0.5f; });
    Plane brushedMasked = brushed;
    brushedMasked.Multiply(headCover);
    c.Add(brushedMasked, {0.12f, 0.12f, 0.14f});
    c.Add(Fill(RoundedBox({256, 84}, 150, 4, 2), kWork, kWork, 2.0f), palette::kWhite * 0.5f);
    // A lightning rune on the head.
    const std::vector<Vec2> bolt = {{236, 92}, {268, 92}, {252, 128}, {278, 128}, {232, 186}, {246, 142}, {224, 142}};
    const Shape rune = Polygon(bolt);
    c.Paint(Fill(rune, kWork, kWork), {0.0f, 0.0f, 0.0f});
    AddNeon(&c, rune, palette::kCyan, 3.0f, 9.0f, 1.2f);
    AddNeon(&c, hammer, palette::kAmber, 4.5f, 9.0f, 1.0f);

    const Plane cover = Fill(Offset(hammer, 9), kWork, kWork, 5.0f);
    EmitMaskedPair(out, "kaos/k_bitch_image.jpg", "kaos/k_bitch_mask.jpg", c, cover, 256, 256);
}

// The cube's base texture: a steel plate with a bevelled neon edge and the group's emblem.
void MakeCubePlate(Generated* out)
{
    Canvas c(kWork, kWork);
    const Plane all(kWork, kWork, 1.0f);
    AddVerticalGradient(&c, all, {0.16f, 0.20f, 0.30f}, {0.06f, 0.07f, 0.12f}, 0, kWork);
    const Plane brushed = MakePlane(kWork, kWork, [](float x, float y) { return FractalNoise(x * 0.006f, y * 0.3f, 21, 3) - 0.5f; });
    c.Add(brushed, {0.10f, 0.10f, 0.13f});
    const Shape edge = RoundedBox({256, 256}, 236, 236, 22);
    AddNeon(&c, edge, palette::kCyan, 6.0f, 10.0f, 1.0f);
    c.Add(Stroke(RoundedBox({256, 256}, 252, 252, 4), kWork, kWork, 6.0f), {0.5f, 0.55f, 0.65f});
    for (float sx : {-206.0f, 206.0f})
        for (float sy : {-206.0f, 206.0f})
        {
            const Vec2 p{256 + sx, 256 + sy};
            PaintDisc(&c, p, 11, [](float t, float dx, float dy) {
                return Rgb{0.6f, 0.62f, 0.7f} * std::clamp(1.0f - 0.6f * t - (dx + dy) * 0.02f, 0.1f, 1.0f);
            });
        }
    AddNeon(&c, Circle({256, 256}, 150), palette::kAmber, 7.0f, 14.0f, 1.1f);
    Font font(FontFace::SansBold);
    Plane letter(kWork, kWork);
    font.Draw(&letter, "Q", 256, 350, 270);
    c.Paint(letter, {0.02f, 0.02f, 0.05f});
    c.Add(letter.Blurred(10.0f), palette::kMagenta * 1.2f);
    c.Add(letter, palette::kWhite * 0.25f);
    // Circuit traces from the ring to the corners.
    for (float angle : {0.785f, 2.356f, 3.927f, 5.498f})
    {
        const Vec2 a{256 + 160 * std::cos(angle), 256 + 160 * std::sin(angle)};
        const Vec2 b{256 + 270 * std::cos(angle), 256 + 270 * std::sin(angle)};
        AddNeon(&c, Capsule(a, b, 1.0f), palette::kCyan, 0.0f, 6.0f, 0.6f);
    }
    EmitPicture(out, "kaos/k_tcube_image.jpg", c, 256, 256);
}

// A chrome studio: a blue sky dome, a bright horizon, soft light panels and a gridded floor.
Rgb StudioEnvironment(float x, float y, float z)
{
    Rgb colour;
    if (y >= 0.0f)
    {
        colour = Mix({0.30f, 0.45f, 0.80f}, {0.05f, 0.10f, 0.35f}, std::pow(y, 0.6f));
        const float panel = std::exp(-std::pow((x - 0.55f) / 0.18f, 2.0f) - std::pow((y - 0.55f) / 0.12f, 2.0f));
        const float panel2 = std::exp(-std::pow((x + 0.6f) / 0.12f, 2.0f) - std::pow((y - 0.35f) / 0.25f, 2.0f));
        colour = colour + palette::kWhite * (1.6f * panel) + palette::kMagenta * (1.2f * panel2);
    }
    else
    {
        const float px = x / -y;
        const float pz = z / -y;
        const float gx = std::fabs(std::remainder(px * 2.0f, 1.0f));
        const float gz = std::fabs(std::remainder(pz * 2.0f, 1.0f));
        const float line = std::max(std::exp(-gx * 22.0f), std::exp(-gz * 22.0f)) * std::min(1.0f, -y * 3.0f);
        colour = Rgb{0.03f, 0.03f, 0.06f} + palette::kCyan * (0.8f * line);
    }
    colour = colour + Rgb{1.0f, 0.85f, 0.7f} * (0.3f * std::exp(-y * y * 120.0f));
    return colour;
}

void MakeCubeGloss(Generated* out)
{
    // The gloss is added to the plate: lit in the two-pass cube, but at full strength in the
    // one-pass cube, where plate and gloss together burnt a face facing the viewer to flat
    // white (such a face reflects the middle of the map: the horizon). The horizon is kept
    // soft and the whole map at two thirds of its brightness.
    Canvas sphere = SphereMap(kWork, StudioEnvironment);
    for (Plane* plane : {&sphere.r, &sphere.g, &sphere.b})
        for (float& v : plane->Values())
            v *= 0.65f;
    EmitPicture(out, "kaos/k_tcube_env.jpg", sphere, 256, 256);
}

void MakeHead(Generated* out)
{
    // A profile facing right: neck, skull, brow, nose, lips, chin.
    std::vector<Vec2> outline = {{186, 508}, {198, 430}};
    AppendPath(&outline, Bezier({198, 430}, {118, 392}, {92, 214}, {176, 122}, 16));
    AppendPath(&outline, Bezier({176, 122}, {236, 52}, {348, 56}, {378, 146}, 14));
    AppendPath(&outline, Bezier({378, 146}, {388, 176}, {396, 200}, {392, 222}, 6));
    AppendPath(&outline, Bezier({392, 222}, {392, 246}, {424, 286}, {430, 300}, 8));
    AppendPath(&outline, Bezier({430, 300}, {428, 314}, {404, 316}, {398, 322}, 5));
    AppendPath(&outline, Bezier({398, 322}, {408, 334}, {404, 346}, {392, 352}, 5));
    AppendPath(&outline, Bezier({392, 352}, {402, 360}, {400, 372}, {390, 380}, 5));
    AppendPath(&outline, Bezier({390, 380}, {394, 402}, {380, 420}, {352, 424}, 6));
    AppendPath(&outline, Bezier({352, 424}, {330, 428}, {318, 440}, {318, 508}, 8));
    const Shape head = Polygon(outline);
    const Plane headCover = Fill(head, kWork, kWork);

    Canvas c(kWork, kWork);
    AddVerticalGradient(&c, headCover, {0.10f, 0.16f, 0.30f}, {0.04f, 0.05f, 0.12f}, 60, 508);
    // Scan lines across the head, brighter towards the face.
    const Plane scan = MakePlane(kWork, kWork, [](float x, float y) {
        const float band = std::exp(-std::pow(std::remainder(y, 18.0f) / 1.6f, 2.0f));
        return band * std::clamp((x - 120.0f) / 300.0f, 0.1f, 1.0f);
    });
    Plane scanMasked = scan;
    scanMasked.Multiply(headCover);
    c.Add(scanMasked.Blurred(1.0f), palette::kCyan * 0.9f);
    // Ear and eye.
    AddNeon(&c, Ellipse({232, 276}, 22, 36), palette::kViolet, 4.0f, 8.0f, 0.9f);
    const Shape eye = Ellipse({352, 236}, 16, 7);
    c.Add(Glow(eye, kWork, kWork, 14.0f), palette::kMagenta * 0.9f);
    c.Add(Fill(eye, kWork, kWork), palette::kWhite);
    // Brain circuits: a few traces inside the skull.
    const std::vector<std::vector<Vec2>> traces = {
        {{170, 200}, {230, 200}, {250, 170}, {320, 170}},
        {{150, 250}, {210, 250}, {230, 226}, {300, 226}, {320, 200}},
        {{190, 150}, {260, 150}, {280, 120}},
    };
    for (const auto& trace : traces)
    {
        AddNeon(&c, Polyline(trace, 1.2f, false), palette::kAmber, 0.0f, 5.0f, 0.8f);
        c.Add(Glow(Circle(trace.back(), 4.0f), kWork, kWork, 4.0f), palette::kAmber);
    }
    AddNeon(&c, head, palette::kCyan, 5.0f, 11.0f, 1.2f);
    // The neck fades into the dark before the picture's lower edge: the flash is added
    // without a mask, so its edges must be black.
    const Plane fade = MakePlane(kWork, kWork, [](float, float y) { return std::clamp((492.0f - y) / 70.0f, 0.0f, 1.0f); });
    c.Multiply(fade);

    Plane cover = Fill(Offset(head, 10), kWork, kWork, 6.0f);
    cover.Multiply(MakePlane(kWork, kWork, [](float, float y) { return std::clamp((500.0f - y) / 20.0f, 0.0f, 1.0f); }));
    EmitMaskedPair(out, "kaos/k_head_image.jpg", "kaos/k_head_mask.jpg", c, cover, 256, 256);
}

}  // namespace

void MakeKaosTextures(Generated* out)
{
    MakeLoudspeakers(out);
    MakeGlowLogo(out);
    MakeHouse(out);
    MakeHammer(out);
    MakeCubePlate(out);
    MakeCubeGloss(out);
    MakeHead(out);
}
