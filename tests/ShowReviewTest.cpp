// showreview's parts: the seam finder on drawn pictures (lines along a layer's edge are found,
// straight or slanted, across dark stretches; edges, wide bands, short strokes, curves, strokes
// between two surfaces and black gaps are not), and the review pages (thumbnails in order, labelled, seams marked in red).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "ReviewSheet.h"
#include "SeamFinder.h"
#include "TestFiles.h"
#include "codecs/ImageCodec.h"

namespace
{

// An RGBA picture, top row first, painted by a function of (x, y) giving a grey level.
struct Picture
{
    int width;
    int height;
    std::vector<uint8_t> rgba;
};

Picture Paint(int width, int height, const std::function<int(int x, int y)>& level)
{
    Picture p{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4, 255)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                p.rgba[(static_cast<size_t>(y) * width + x) * 4 + c] = static_cast<uint8_t>(level(x, y));
    return p;
}

std::vector<SeamLine> Seams(const Picture& p, const SeamSettings& settings = {})
{
    return FindSeams(p.rgba.data(), p.width, p.height, settings);
}

TEST(SeamFinder, LinesAlongALayersEdgeAreFoundAndOrdinaryPicturesAreNot)
{
    // A gradient with a layer's edge in it: the column at x = 57 keeps 60 % of its brightness
    // from row 20 to row 179, as a mask filtered against black leaves it.
    const Picture seam = Paint(160, 200, [](int x, int y) {
        const int base = 60 + x;
        return x == 57 && y >= 20 && y < 180 ? base * 6 / 10 : base;
    });
    std::vector<SeamLine> found = Seams(seam);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(found[0].vertical);
    EXPECT_TRUE(found[0].darker);
    EXPECT_EQ(found[0].x0, 57);
    EXPECT_EQ(found[0].x1, 57);
    EXPECT_EQ(found[0].y0, 20);
    EXPECT_EQ(found[0].y1, 179);
    EXPECT_NEAR(found[0].contrast, 0.4, 0.02);
    EXPECT_NE(found[0].Describe().find("dark vertical line from (57, 20) to (57, 179)"), std::string::npos)
        << found[0].Describe();

    // Two pixels wide and horizontal; and a line across a black stretch is one line.
    const Picture wide = Paint(200, 100, [](int x, int y) {
        const bool black = x >= 80 && x < 120;
        const int base = black ? 0 : 180;
        return (y == 40 || y == 41) && x >= 10 && x < 190 ? base / 2 : base;
    });
    found = Seams(wide);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_FALSE(found[0].vertical);
    EXPECT_EQ(found[0].x0, 10);
    EXPECT_EQ(found[0].x1, 189);
    EXPECT_EQ(found[0].y0, 40);

    // Slanted, as a turning layer's edge: one pixel across every four rows.
    const Picture slanted = Paint(200, 200, [](int x, int y) { return x == 40 + y / 4 && y >= 10 && y < 190 ? 90 : 200; });
    found = Seams(slanted);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].x0, 42);
    EXPECT_EQ(found[0].y0, 10);
    EXPECT_EQ(found[0].x1, 87);
    EXPECT_EQ(found[0].y1, 189);

    // Not seams: a plain edge between two levels, a band four pixels wide, a stroke shorter
    // than a tenth of the picture, a faint line, a curve, and a line in the dark.
    const std::vector<std::pair<const char*, std::function<int(int, int)>>> plain = {
        {"edge", [](int x, int) { return x < 80 ? 200 : 60; }},
        {"wide band", [](int x, int) { return x >= 50 && x < 54 ? 60 : 200; }},
        {"short stroke", [](int x, int y) { return x == 50 && y >= 50 && y < 65 ? 60 : 200; }},
        {"faint line", [](int x, int) { return x == 50 ? 190 : 200; }},
        {"circle", [](int x, int y) {
             const double r = std::hypot(x - 80.0, y - 100.0);
             return std::fabs(r - 50.0) < 0.6 ? 60 : 200;
         }},
        {"in the dark", [](int x, int) { return x == 50 ? 2 : 12; }},
        // A dark stroke between a bright bevel and a darker face, as drawn along a cube's edge.
        {"between two surfaces", [](int x, int) { return x < 50 ? 160 : x == 50 ? 70 : 100; }},
        // A black gap between two shapes: darker than any filtered edge can make a line.
        {"gap", [](int x, int) { return x == 50 ? 10 : 150; }},
    };
    for (const auto& [name, level] : plain)
    {
        const std::vector<SeamLine> lines = Seams(Paint(160, 200, level));
        EXPECT_TRUE(lines.empty()) << name << ": " << (lines.empty() ? "" : lines[0].Describe());
    }

    // Bright lines count only when asked for.
    const Picture bright = Paint(160, 200, [](int x, int) { return x == 30 ? 250 : 120; });
    EXPECT_TRUE(Seams(bright).empty());
    SeamSettings withBright;
    withBright.brightLines = true;
    EXPECT_EQ(Seams(bright, withBright).size(), 1u);
}

TEST(ReviewSheet, PagesHoldTheFramesInOrderWithTheirSeamsMarked)
{
    ScopedTempDir dir;
    // Seven frames of 64 x 48, frame k a grey of level 30 k; frame 3 has a seam.
    std::vector<ReviewFrame> frames;
    for (int k = 0; k < 7; ++k)
    {
        std::vector<uint8_t> bgra(64 * 48 * 4, 255);
        for (size_t p = 0; p < 64 * 48; ++p)
            bgra[p * 4] = bgra[p * 4 + 1] = bgra[p * 4 + 2] = static_cast<uint8_t>(30 * k);
        const std::string path = "frame_" + std::to_string(k) + ".png";
        std::string error;
        ASSERT_TRUE(WritePngBgra(path, 64, 48, bgra.data(), &error)) << error;
        ReviewFrame frame;
        frame.label = "0:0" + std::to_string(k);
        frame.path = path;
        if (k == 3)
        {
            SeamLine line;
            line.x0 = line.x1 = 32;
            line.y0 = 0;
            line.y1 = 47;
            frame.seams.push_back(line);
        }
        frames.push_back(frame);
    }
    SheetLayout layout;
    layout.title = "test";
    layout.columns = 3;
    layout.rows = 2;
    layout.thumbWidth = 128;
    std::vector<std::string> written;
    std::string error;
    ASSERT_TRUE(WriteReviewPages(frames, layout, "sheet", &written, &error)) << error;
    ASSERT_EQ(written, (std::vector<std::string>{"sheet_01.png", "sheet_02.png"}));

    int width = 0, height = 0;
    std::vector<uint8_t> page;
    ASSERT_TRUE(ReadPngRgba("sheet_01.png", &width, &height, &page, &error)) << error;
    // Three columns of 128 px thumbnails (96 px high) with 10 px gaps, two rows under a title.
    EXPECT_EQ(width, 10 + 3 * 138);
    auto pixel = [&](int x, int y) { return &page[(static_cast<size_t>(y) * width + x) * 4]; };
    // The middle of each thumbnail is its frame's grey, in reading order.
    for (int k = 0; k < 6; ++k)
    {
        const int x = 10 + (k % 3) * 138 + 20;
        const int y = 44 + (k / 3) * (96 + 26 + 10) + 20;
        EXPECT_NEAR(pixel(x, y)[0], 30 * k, 2) << "frame " << k;
        EXPECT_NEAR(pixel(x, y)[2], 30 * k, 2) << "frame " << k;
    }
    // Frame 3 (first of the second row) carries its seam as a red line down the middle.
    const uint8_t* mark = pixel(10 + 64, 44 + 132 + 48);
    EXPECT_GT(mark[0], 200);
    EXPECT_LT(mark[1], 80);

    // The second page holds the seventh frame alone.
    ASSERT_TRUE(ReadPngRgba("sheet_02.png", &width, &height, &page, &error)) << error;
    EXPECT_NEAR(pixel(10 + 20, 44 + 20)[0], 180, 2);

    // A frame that cannot be read is named.
    frames[1].path = "missing.png";
    written.clear();
    EXPECT_FALSE(WriteReviewPages(frames, layout, "sheet", &written, &error));
    EXPECT_NE(error.find("missing.png"), std::string::npos) << error;
}

}  // namespace
