#include "ContactSheet.h"

#include <algorithm>
#include <cmath>

#include "Font.h"

namespace
{

constexpr int kCell = 200;      // thumbnail box
constexpr int kLabel = 22;      // label strip under each thumbnail
constexpr int kGap = 10;
constexpr int kColumns = 8;

}  // namespace

Bytes MakeContactSheet(const std::vector<ReviewPicture>& pictures)
{
    const int count = static_cast<int>(pictures.size());
    const int rows = (count + kColumns - 1) / kColumns;
    const int width = kColumns * (kCell + kGap) + kGap;
    const int height = rows * (kCell + kLabel + kGap) + kGap;
    // A mid-grey ground, so black pictures and white masks both show their edges.
    Canvas sheet(width, height, {0.22f, 0.22f, 0.24f});
    Plane labels(width, height);
    Font font(FontFace::Sans);

    for (int i = 0; i < count; ++i)
    {
        const ReviewPicture& picture = pictures[i];
        const int cellX = kGap + (i % kColumns) * (kCell + kGap);
        const int cellY = kGap + (i / kColumns) * (kCell + kLabel + kGap);
        const float scale = std::min(static_cast<float>(kCell) / picture.image.width,
                                     static_cast<float>(kCell) / picture.image.height);
        const int thumbWidth = std::max(1, static_cast<int>(std::lround(picture.image.width * scale)));
        const int thumbHeight = std::max(1, static_cast<int>(std::lround(picture.image.height * scale)));
        const Image8 thumb = ResizeImage8(picture.image, thumbWidth, thumbHeight);
        const int x0 = cellX + (kCell - thumbWidth) / 2;
        const int y0 = cellY + (kCell - thumbHeight) / 2;
        for (int y = 0; y < thumbHeight; ++y)
            for (int x = 0; x < thumbWidth; ++x)
            {
                const size_t p = (static_cast<size_t>(y) * thumbWidth + x) * 3;
                sheet.Set(x0 + x, y0 + y, {thumb.rgb[p] / 255.0f, thumb.rgb[p + 1] / 255.0f, thumb.rgb[p + 2] / 255.0f});
            }
        std::string label = picture.label + " " + std::to_string(picture.image.width) + "x" +
                            std::to_string(picture.image.height);
        const float size = font.FitSize(label, 13.0f, kCell + kGap - 2.0f);
        font.Draw(&labels, label, cellX + kCell * 0.5f, cellY + kCell + 15.0f, size);
    }
    sheet.Paint(labels, {1.0f, 1.0f, 1.0f});
    return EncodePng(sheet.ToImage8());
}
