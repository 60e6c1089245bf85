#include "ReviewSheet.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "assetgen/Canvas.h"
#include "assetgen/Font.h"
#include "assetgen/Writers.h"
#include "codecs/ImageCodec.h"

namespace
{

constexpr int kGap = 10;
constexpr int kLabel = 26;
constexpr int kTitle = 44;
const Rgb kGround = {0.16f, 0.16f, 0.18f};
const Rgb kSeamColour = {1.0f, 0.15f, 0.1f};

struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
};

bool ReadPicture(const std::string& path, Picture* picture, std::string* error)
{
    std::string reason;
    if (ReadPngRgba(path, &picture->width, &picture->height, &picture->rgba, &reason))
        return true;
    *error = "cannot read " + path + ": " + reason;
    return false;
}

// Paints the picture area-averaged into the cell at (x0, y0), thumbWidth x thumbHeight.
void PaintThumbnail(const Picture& picture, int x0, int y0, int thumbWidth, int thumbHeight, Canvas* sheet)
{
    const double sx = static_cast<double>(picture.width) / thumbWidth;
    const double sy = static_cast<double>(picture.height) / thumbHeight;
    for (int ty = 0; ty < thumbHeight; ++ty)
    {
        const int ya = static_cast<int>(ty * sy);
        const int yb = std::max(ya + 1, static_cast<int>((ty + 1) * sy));
        for (int tx = 0; tx < thumbWidth; ++tx)
        {
            const int xa = static_cast<int>(tx * sx);
            const int xb = std::max(xa + 1, static_cast<int>((tx + 1) * sx));
            double sum[3] = {0.0, 0.0, 0.0};
            for (int y = ya; y < yb && y < picture.height; ++y)
                for (int x = xa; x < xb && x < picture.width; ++x)
                    for (int c = 0; c < 3; ++c)
                        sum[c] += picture.rgba[(static_cast<size_t>(y) * picture.width + x) * 4 + c];
            const double n = 255.0 * (yb - ya) * (xb - xa);
            sheet->Set(x0 + tx, y0 + ty, {static_cast<float>(sum[0] / n), static_cast<float>(sum[1] / n), static_cast<float>(sum[2] / n)});
        }
    }
}

// Draws each line found in the full-size frame over its thumbnail, a little thicker than a pixel.
void MarkSeams(const std::vector<SeamLine>& seams, const Picture& picture, int x0, int y0, int thumbWidth,
               int thumbHeight, Plane* marks)
{
    const float sx = static_cast<float>(thumbWidth) / picture.width;
    const float sy = static_cast<float>(thumbHeight) / picture.height;
    for (const SeamLine& line : seams)
    {
        const int steps = std::max(1, line.Length());
        for (int i = 0; i <= steps; ++i)
        {
            const float t = static_cast<float>(i) / steps;
            const float x = (line.x0 + (line.x1 - line.x0) * t + 0.5f) * sx;
            const float y = (line.y0 + (line.y1 - line.y0) * t + 0.5f) * sy;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                {
                    const int px = x0 + std::clamp(static_cast<int>(x) + dx, 0, thumbWidth - 1);
                    const int py = y0 + std::clamp(static_cast<int>(y) + dy, 0, thumbHeight - 1);
                    marks->At(px, py) = 1.0f;
                }
        }
    }
}

}  // namespace

bool WriteReviewPages(const std::vector<ReviewFrame>& frames, const SheetLayout& layout, const std::string& outPrefix,
                      std::vector<std::string>* written, std::string* error)
{
    if (frames.empty())
    {
        *error = "no frames to lay out";
        return false;
    }
    Picture first;
    if (!ReadPicture(frames.front().path, &first, error))
        return false;
    const bool pairs = !frames.front().afterPath.empty();
    const int thumbWidth = layout.thumbWidth;
    const int thumbHeight = std::max(1, static_cast<int>(std::lround(static_cast<double>(thumbWidth) * first.height / first.width)));
    // A pair takes two cells with no gap between them, so the two pictures read as one.
    const int cellsPerItem = pairs ? 2 : 1;
    const int itemWidth = thumbWidth * cellsPerItem;
    const int columns = std::max(1, layout.columns / cellsPerItem);
    const int perPage = columns * std::max(1, layout.rows);
    const int pageWidth = kGap + columns * (itemWidth + kGap);
    Font font(FontFace::Sans);
    Font titleFont(FontFace::SansBold);

    const int pageCount = static_cast<int>((frames.size() + perPage - 1) / perPage);
    for (int page = 0; page < pageCount; ++page)
    {
        const int firstItem = page * perPage;
        const int items = std::min(perPage, static_cast<int>(frames.size()) - firstItem);
        const int rows = (items + columns - 1) / columns;
        const int pageHeight = kTitle + rows * (thumbHeight + kLabel + kGap) + kGap;
        Canvas sheet(pageWidth, pageHeight, kGround);
        Plane text(pageWidth, pageHeight);
        Plane warnings(pageWidth, pageHeight);
        Plane marks(pageWidth, pageHeight);
        char heading[256];
        std::snprintf(heading, sizeof heading, "%s  (%s to %s, page %d of %d)", layout.title.c_str(),
                      frames[firstItem].label.c_str(), frames[firstItem + items - 1].label.c_str(), page + 1, pageCount);
        titleFont.Draw(&text, heading, kGap, kTitle - 14.0f, 24.0f, TextAlign::Left);

        for (int i = 0; i < items; ++i)
        {
            const ReviewFrame& frame = frames[firstItem + i];
            const int x0 = kGap + (i % columns) * (itemWidth + kGap);
            const int y0 = kTitle + (i / columns) * (thumbHeight + kLabel + kGap);
            for (int side = 0; side < cellsPerItem; ++side)
            {
                Picture picture;
                if (!ReadPicture(side == 0 ? frame.path : frame.afterPath, &picture, error))
                    return false;
                const int cellX = x0 + side * thumbWidth;
                PaintThumbnail(picture, cellX, y0, thumbWidth, thumbHeight, &sheet);
                MarkSeams(side == cellsPerItem - 1 ? frame.seams : frame.beforeSeams, picture, cellX, y0, thumbWidth,
                          thumbHeight, &marks);
            }
            std::string label = frame.label;
            if (pairs)
                label += "   before | after";
            font.Draw(&text, label, x0 + 4.0f, y0 + thumbHeight + 19.0f, 17.0f, TextAlign::Left);
            if (!frame.seams.empty() || !frame.beforeSeams.empty())
            {
                auto count = [](size_t n) { return std::to_string(n) + (n == 1 ? " seam" : " seams"); };
                const std::string text = pairs ? count(frame.beforeSeams.size()) + " | " + count(frame.seams.size())
                                               : count(frame.seams.size());
                font.Draw(&warnings, text, x0 + itemWidth - 4.0f, y0 + thumbHeight + 19.0f, 17.0f, TextAlign::Right);
            }
        }
        sheet.Paint(marks, kSeamColour);
        sheet.Paint(text, {0.92f, 0.92f, 0.92f});
        sheet.Paint(warnings, kSeamColour);
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "_%02d.png", page + 1);
        const std::string path = outPrefix + suffix;
        if (!WriteFileBytes(path, EncodePng(sheet.ToImage8()), error))
            return false;
        written->push_back(path);
    }
    return true;
}
