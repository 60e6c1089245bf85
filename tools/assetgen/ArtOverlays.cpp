// Pictures laid over the frame: the headphone glow logo and the two greetings cards (IMAGE),
// the frame border (BORDER, TGA), and the two caption cards of the credits.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "Art.h"
#include "Font.h"
#include "Random.h"

namespace
{

// Headphones drawn as a neon icon: headband arc, sliders and two ear cups.
Shape HeadphoneIcon(Vec2 centre, float scale)
{
    auto p = [&](float x, float y) { return Vec2{centre.x + x * scale, centre.y + y * scale}; };
    const Shape band = Arc(p(0, 20), 170 * scale, 13 * scale, 3.14159f, 6.28318f);
    const Shape leftCup = RoundedBox(p(-172, 60), 42 * scale, 78 * scale, 34 * scale);
    const Shape rightCup = RoundedBox(p(172, 60), 42 * scale, 78 * scale, 34 * scale);
    const Shape leftSlider = RoundedBox(p(-170, 0), 14 * scale, 30 * scale, 6 * scale);
    const Shape rightSlider = RoundedBox(p(170, 0), 14 * scale, 30 * scale, 6 * scale);
    return Union({band, leftCup, rightCup, leftSlider, rightSlider});
}

void MakeHeadphoneLogo(Generated* out)
{
    // Drawn 12 x 8 units.
    const int w = 1200;
    const int h = 800;
    Canvas c(w, h);
    const Vec2 centre{600, 330};
    const float scale = 1.35f;
    const Shape icon = HeadphoneIcon(centre, scale);

    // Cups: dark inside, with speaker grilles of small dots.
    for (float side : {-1.0f, 1.0f})
    {
        const Vec2 cup{centre.x + side * 172 * scale, centre.y + 60 * scale};
        const Shape cupShape = RoundedBox(cup, 42 * scale, 78 * scale, 34 * scale);
        const Plane cupCover = Fill(cupShape, w, h);
        AddVerticalGradient(&c, cupCover, {0.10f, 0.06f, 0.20f}, {0.03f, 0.02f, 0.08f}, cup.y - 100, cup.y + 100);
        const Plane grille = MakePlane(w, h, [&](float x, float y) {
            const float gx = std::remainder(x - cup.x, 16.0f);
            const float gy = std::remainder(y - cup.y, 16.0f);
            return std::clamp(4.0f - std::sqrt(gx * gx + gy * gy), 0.0f, 1.0f);
        });
        Plane grilleMasked = grille;
        grilleMasked.Multiply(Fill(Offset(cupShape, -18), w, h, 3.0f));
        c.Add(grilleMasked, palette::kViolet * 0.7f);
    }
    AddNeon(&c, icon, palette::kCyan, 7.0f, 16.0f, 1.2f);
    // Sound waves coming off the cups.
    for (int i = 0; i < 3; ++i)
        for (float side : {-1.0f, 1.0f})
        {
            const Vec2 cup{centre.x + side * 172 * scale, centre.y + 60 * scale};
            const float radius = (80.0f + i * 34.0f) * scale;
            const float start = side < 0 ? 3.14159f - 0.55f : -0.55f;
            AddNeon(&c, Arc(cup, radius, 1.0f, start, start + 1.1f), palette::kMagenta, 5.0f, 10.0f, 1.0f - i * 0.25f);
        }

    Font font(FontFace::SansBold);
    Plane text(w, h);
    const std::string title = "ZARNOVELT";
    const float size = font.FitSize(title, 150.0f, 1000.0f, 14.0f);
    font.Draw(&text, title, w * 0.5f, 700.0f, size, TextAlign::Centre, 14.0f);
    c.Add(text.Blurred(16.0f), palette::kMagenta * 1.5f);
    AddVerticalGradient(&c, text, palette::kWhite, palette::kAmber, 590, 700);

    Plane cover = Fill(Offset(icon, 24), w, h, 10.0f);
    for (int i = 0; i < 3; ++i)
        for (float side : {-1.0f, 1.0f})
        {
            const Vec2 cup{centre.x + side * 172 * scale, centre.y + 60 * scale};
            const float start = side < 0 ? 3.14159f - 0.55f : -0.55f;
            cover.Max(Fill(Arc(cup, (80.0f + i * 34.0f) * scale, 18.0f, start, start + 1.1f), w, h, 8.0f));
        }
    Plane textCover = text.Blurred(14.0f);
    for (float& v : textCover.Values())
        v = std::clamp(v * 5.0f, 0.0f, 1.0f);
    cover.Max(textCover);
    EmitMaskedPair(out, "images/i_hp_glow_image.jpg", "images/i_hp_glow_mask.jpg", c, cover, 512, 256);
}

// The greeted groups (all invented).
const std::vector<std::string> kGreetingsFirst = {
    "Brasswick",      "Nullpetal",  "Gravel Choir", "Tinfoil Parliament",
    "Parsec Grannies", "Ferric Owls", "Sunk Lantern", "Velvet Antenna",
};
const std::vector<std::string> kGreetingsSecond = {
    "Kettle Saints", "Orbifax Labs",    "Mossbyte",      "Dune Telegraph",
    "Quartz Heron",  "Lowtide Ensemble", "Cobalt Turnip", "Pixel Abbey",
};

// A greetings card: a title, a divider and the names in two columns, all in neon on black. The
// names fill the card down to `namesBottom` (a share of its height).
Canvas PaintGreetings(int w, int h, float contentHalfWidth, const std::string& title,
                      const std::vector<std::string>& names, Rgb titleColour, Rgb nameColour, float namesBottom)
{
    Canvas c(w, h);
    Font titleFont(FontFace::SerifBoldItalic);
    Font nameFont(FontFace::SansCondensedBold);
    const float cx = w * 0.5f;

    Plane titleMask(w, h);
    const float titleSize = titleFont.FitSize(title, h * 0.2f, contentHalfWidth * 2.0f);
    titleFont.Draw(&titleMask, title, cx, h * 0.22f, titleSize);
    c.Add(titleMask.Blurred(h * 0.02f), titleColour * 1.6f);
    c.Add(titleMask, Mix(titleColour, palette::kWhite, 0.6f));

    const Shape divider = Ellipse({cx, h * 0.31f}, contentHalfWidth * 0.95f, 2.5f);
    c.Add(Glow(divider, w, h, 8.0f), titleColour * 0.7f);
    c.Add(Fill(divider, w, h, 2.0f), palette::kWhite * 0.8f);

    Plane nameMask(w, h);
    const size_t rows = (names.size() + 1) / 2;
    const float rowHeight = h * (namesBottom - 0.36f) / rows;
    float nameSize = rowHeight * 0.78f;
    for (const std::string& name : names)
        nameSize = std::min(nameSize, nameFont.FitSize(name, nameSize, contentHalfWidth * 0.92f));
    for (size_t i = 0; i < names.size(); ++i)
    {
        const float columnX = cx + (i % 2 == 0 ? -0.5f : 0.5f) * contentHalfWidth;
        const float baseline = h * 0.36f + rowHeight * (i / 2 + 0.8f);
        nameFont.Draw(&nameMask, names[i], columnX, baseline, nameSize);
        // A small diamond before each name.
        const float dx = columnX - nameFont.Measure(names[i], nameSize) * 0.5f - nameSize * 0.45f;
        const float dy = baseline - nameSize * 0.33f;
        const float r = nameSize * 0.12f;
        c.Add(Fill(Polygon({{dx, dy - r}, {dx + r, dy}, {dx, dy + r}, {dx - r, dy}}), w, h), palette::kAmber);
    }
    c.Add(nameMask.Blurred(h * 0.012f), nameColour * 1.3f);
    c.Add(nameMask, Mix(nameColour, palette::kWhite, 0.5f));
    return c;
}

void MakeGreetings(Generated* out)
{
    // The first card is drawn 12 x 8 units; the second 20 x 8, wider than the view, so its
    // text keeps to the middle 80 percent. The show lays them over its letterbox, which at the
    // first card's distance (13.5) cuts off its lowest twelfth: its names end higher.
    Canvas first = PaintGreetings(1200, 800, 500.0f, "greetings to", kGreetingsFirst, palette::kMagenta, palette::kCyan, 0.86f);
    EmitPicture(out, "images/i_greetings_01.jpg", first, 512, 256);
    Canvas second = PaintGreetings(1500, 600, 560.0f, "and respect to", kGreetingsSecond, palette::kAmber, palette::kViolet, 0.94f);
    EmitPicture(out, "images/i_greetings_02.jpg", second, 512, 256);
}

void MakeBorder(Generated* out)
{
    // Stretched over the whole 4:3 view; painted at that shape.
    const int w = 1024;
    const int h = 768;
    const Shape window = RoundedBox({w * 0.5f, h * 0.5f}, w * 0.5f - 44.0f, h * 0.5f - 52.0f, 30.0f);
    const Plane windowCover = Fill(window, w, h, 2.0f);
    const Plane frameCover = windowCover.Inverted();

    Canvas c(w, h);
    // Brushed dark metal with a violet cast.
    const Plane metal = MakePlane(w, h, [](float x, float y) {
        return 0.10f + 0.06f * FractalNoise(x * 0.004f, y * 0.15f, 31, 3) + 0.04f * std::sin((x + y) * 0.01f);
    });
    Plane metalMasked = metal;
    metalMasked.Multiply(frameCover);
    c.Add(metalMasked, {0.8f, 0.7f, 1.0f});
    // Outer bevel and the glowing inner edge.
    c.Add(Stroke(RoundedBox({w * 0.5f, h * 0.5f}, w * 0.5f - 6.0f, h * 0.5f - 6.0f, 8.0f), w, h, 3.0f), {0.35f, 0.3f, 0.45f});
    Canvas edge(w, h);
    AddNeon(&edge, window, palette::kCyan, 4.0f, 10.0f, 1.1f);
    edge.Multiply(frameCover);
    c.Add(edge);
    // Corner brackets.
    for (float sx : {-1.0f, 1.0f})
        for (float sy : {-1.0f, 1.0f})
        {
            const Vec2 corner{w * 0.5f + sx * (w * 0.5f - 22.0f), h * 0.5f + sy * (h * 0.5f - 24.0f)};
            const std::vector<Vec2> bracket = {{corner.x, corner.y - sy * 70.0f}, corner, {corner.x - sx * 90.0f, corner.y}};
            AddNeon(&c, Polyline(bracket, 3.0f, false), palette::kMagenta, 0.0f, 6.0f, 1.0f);
        }
    // Small lettering in the bottom band.
    Font font(FontFace::MonoBold);
    Plane label(w, h);
    font.Draw(&label, "ZARNOVELT  //  QUILLMARSH PARTY GANG", w * 0.5f, h - 16.0f, 22.0f, TextAlign::Centre, 3.0f);
    c.Add(label, palette::kAmber * 0.9f);
    c.Multiply(frameCover);

    EmitPicture(out, "t_BorderImage.tga", c, 512, 512);
    EmitMask(out, "t_BorderMask.tga", windowCover, 512, 512);
}

// A caption card for the credits: drawn 8 x 2 units, additively, so the ground is black.
void MakeCaption(Generated* out, const std::string& path, const std::string& text, FontFace face, Rgb colour,
                 bool underline)
{
    const int w = 1024;
    const int h = 256;
    Font font(face);
    Plane mask(w, h);
    const float size = font.FitSize(text, 190.0f, 860.0f, 6.0f);
    font.Draw(&mask, text, w * 0.5f, 176.0f, size, TextAlign::Centre, 6.0f);
    Canvas c(w, h);
    c.Add(mask.Blurred(14.0f), colour * 1.5f);
    c.Add(mask.Blurred(4.0f), colour * 0.8f);
    AddVerticalGradient(&c, mask, palette::kWhite, Mix(colour, palette::kWhite, 0.4f), 40, 180);
    if (underline)
    {
        const Shape line = Ellipse({w * 0.5f, 214.0f}, 420.0f, 3.0f);
        c.Add(Glow(line, w, h, 8.0f), colour * 0.8f);
        c.Add(Fill(line, w, h, 2.0f), palette::kWhite * 0.7f);
    }
    EmitPicture(out, path, c, 512, 128);
}

}  // namespace

void MakeOverlayTextures(Generated* out)
{
    MakeHeadphoneLogo(out);
    MakeGreetings(out);
    MakeBorder(out);
    MakeCaption(out, "txt_coding.jpg", "coding", FontFace::SerifBoldItalic, palette::kCyan, true);
    MakeCaption(out, "txt_qv517.jpg", "qv517", FontFace::SansBold, palette::kMagenta, false);
}
