// The start-up dialog's side banner: painted at four times its size like every picture of ours,
// then resampled to 91 x 433.
#include "Banner.h"

#include <cstdio>

#include "Art.h"
#include "Font.h"

namespace
{

constexpr int kBannerWidth = 91;
constexpr int kBannerHeight = 433;
constexpr int kWork = 4;

// A plane turned a quarter to the left: text written along its width reads upwards.
Plane TurnedLeft(const Plane& plane)
{
    Plane turned(plane.Height(), plane.Width());
    for (int y = 0; y < plane.Height(); ++y)
        for (int x = 0; x < plane.Width(); ++x)
            turned.At(y, plane.Width() - 1 - x) = plane.At(x, y);
    return turned;
}

}  // namespace

Image8 MakeDialogBanner()
{
    const int w = kBannerWidth * kWork;
    const int h = kBannerHeight * kWork;
    Canvas c(w, h);
    AddVerticalGradient(&c, Plane(w, h, 1.0f), palette::kNight, Rgb{0.12f, 0.03f, 0.20f}, 0.0f, static_cast<float>(h));
    c.Add(StarDust(w, h, 420, 0x5EA1u, 3.0f), palette::kWhite);

    // A ringed moon near the top, in the show's neon.
    const Vec2 moon{w * 0.5f, h * 0.13f};
    AddNeon(&c, Circle(moon, w * 0.26f), palette::kCyan, 6.0f, 18.0f, 1.1f);
    AddNeon(&c, Ellipse(moon, w * 0.42f, w * 0.08f), palette::kViolet, 4.0f, 12.0f, 0.8f);

    // The release's name along the banner, bottom to top.
    Font font(FontFace::SansCondensedBold);
    const std::string title = "ZARNOVELT";
    const int along = static_cast<int>(h * 0.70f);
    Plane lying(along, w);
    const float size = font.FitSize(title, w * 0.62f, along * 0.94f, 10.0f);
    font.Draw(&lying, title, along * 0.5f, w * 0.5f + size * 0.36f, size, TextAlign::Centre, 10.0f);
    Plane standing(w, h);
    const Plane turned = TurnedLeft(lying);
    const int top = h - along - static_cast<int>(h * 0.04f);
    for (int y = 0; y < turned.Height(); ++y)
        for (int x = 0; x < turned.Width(); ++x)
            standing.At(x, top + y) = turned.At(x, y);
    c.Add(standing.Blurred(18.0f), palette::kMagenta * 1.6f);
    AddVerticalGradient(&c, standing, palette::kAmber, palette::kWhite, static_cast<float>(top),
                        static_cast<float>(top + along));

    c.Bloom(10.0f, 0.8f, 0.35f);
    c.ToneMap();
    return c.Resampled(kBannerWidth, kBannerHeight).ToImage8();
}

// The banner's RGB bytes, top row first, as the body of a C array: the Linux dialog compiles
// the same picture in that the Windows executable carries as bitmap 140.
std::string BannerArrayBody(const Image8& banner)
{
    std::string text = "// " + std::to_string(banner.width) + " x " + std::to_string(banner.height) +
                       " RGB, top row first: the start-up dialog's banner, made by assetgen.\n";
    char value[8];
    for (size_t i = 0; i < banner.rgb.size(); ++i)
    {
        std::snprintf(value, sizeof value, "%u,", static_cast<unsigned>(banner.rgb[i]));
        text += value;
        if (i % 24 == 23)
            text += '\n';
    }
    return text + "\n";
}

bool WriteDialogBanner(const std::string& directory, std::string* error)
{
    const Image8 banner = MakeDialogBanner();
    const std::string array = BannerArrayBody(banner);
    return WriteFileBytes(directory + "/banner.bmp", EncodeBmp24(banner), error) &&
           WriteFileBytes(directory + "/banner.png", EncodePng(banner), error) &&
           WriteFileBytes(directory + "/banner_rgb.inc", std::vector<uint8_t>(array.begin(), array.end()), error);
}
