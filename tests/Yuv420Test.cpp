// The capture's own BGRA to 4:2:0 conversion: the BT.601 studio values of the colour bars, the
// rows turned upright and odd sides padded black, the picture ffmpeg's scaler makes of the same
// frame (luma to the bit, chroma within one step), and the wide rows done several samples at a
// time giving what the same pixels give one at a time.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "capture/VideoCapture.h"
#include "capture/Yuv420.h"
#include "TestFiles.h"

namespace {

struct Planes
{
    int width = 0;    // of the luma plane (even)
    int height = 0;
    std::vector<uint8_t> bytes;
    uint8_t Y(int x, int y) const { return bytes[static_cast<size_t>(y) * width + x]; }
    uint8_t Cb(int x, int y) const { return bytes[static_cast<size_t>(width) * height + static_cast<size_t>(y) * (width / 2) + x]; }
    uint8_t Cr(int x, int y) const
    {
        return bytes[static_cast<size_t>(width) * height * 5 / 4 + static_cast<size_t>(y) * (width / 2) + x];
    }
};

Planes Convert(const std::vector<uint8_t>& bgra, int width, int height)
{
    Planes planes;
    planes.width = Yuv420Side(width);
    planes.height = Yuv420Side(height);
    planes.bytes.assign(Yuv420FrameBytes(width, height), 0xAA);
    ConvertBgraToYuv420(bgra.data(), width, height, planes.bytes.data());
    return planes;
}

// A frame of one colour.
std::vector<uint8_t> Uniform(int width, int height, uint8_t r, uint8_t g, uint8_t b)
{
    std::vector<uint8_t> bgra;
    for (int i = 0; i < width * height; ++i)
        bgra.insert(bgra.end(), {b, g, r, 255});
    return bgra;
}

// A frame of random pixels; with `sameRows` every row is the first one.
std::vector<uint8_t> Random(int width, int height, unsigned seed, bool sameRows = false)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> bgra(static_cast<size_t>(width) * height * 4);
    for (uint8_t& byte : bgra)
        byte = static_cast<uint8_t>(random());
    if (sameRows)
        for (int y = 1; y < height; ++y)
            std::copy(bgra.begin(), bgra.begin() + width * 4, bgra.begin() + static_cast<ptrdiff_t>(y) * width * 4);
    return bgra;
}

TEST(Yuv420, ColourBarsGiveTheirStudioValues)
{
    struct Colour
    {
        const char* name;
        uint8_t r, g, b;
        int y, cb, cr;
    };
    const Colour colours[] = {
        {"black", 0, 0, 0, 16, 128, 128},          {"white", 255, 255, 255, 235, 128, 128},
        {"yellow", 255, 255, 0, 210, 16, 146},     {"cyan", 0, 255, 255, 170, 166, 16},
        {"green", 0, 255, 0, 145, 54, 34},         {"magenta", 255, 0, 255, 106, 202, 222},
        {"red", 255, 0, 0, 81, 90, 240},           {"blue", 0, 0, 255, 41, 240, 110},
        {"grey 128", 128, 128, 128, 126, 128, 128},
    };
    // Wide enough for the rows to be done several pixels at a time, with a remainder.
    const int width = 38;
    const int height = 10;
    for (const Colour& c : colours)
    {
        const Planes planes = Convert(Uniform(width, height, c.r, c.g, c.b), width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(planes.Y(x, y), c.y) << c.name << " at " << x << "," << y;
        for (int y = 0; y < height / 2; ++y)
            for (int x = 0; x < width / 2; ++x)
            {
                ASSERT_EQ(planes.Cb(x, y), c.cb) << c.name << " at " << x << "," << y;
                ASSERT_EQ(planes.Cr(x, y), c.cr) << c.name << " at " << x << "," << y;
            }
    }
}

TEST(Yuv420, RowsComeOutTopFirstAndOddSidesArePaddedBlack)
{
    EXPECT_EQ(Yuv420Side(5), 6);
    EXPECT_EQ(Yuv420Side(6), 6);
    EXPECT_EQ(Yuv420FrameBytes(5, 3), 6u * 4 + 2 * 3 * 2);
    EXPECT_EQ(Yuv420FrameBytes(1920, 1080), 1920u * 1080 * 3 / 2);

    // GL's rows bottom first: grey 200, grey 100, black. Upright: black, 100, 200, then the
    // padding row; every row ends in a padding column.
    const int width = 5;
    const int height = 3;
    const uint8_t greys[height] = {200, 100, 0};
    std::vector<uint8_t> bgra;
    for (int glRow = 0; glRow < height; ++glRow)
        for (int x = 0; x < width; ++x)
            bgra.insert(bgra.end(), {greys[glRow], greys[glRow], greys[glRow], 255});
    const Planes planes = Convert(bgra, width, height);
    ASSERT_EQ(planes.width, 6);
    ASSERT_EQ(planes.height, 4);
    const int expected[4] = {16, 102, 188, 16};
    for (int y = 0; y < 4; ++y)
    {
        for (int x = 0; x < width; ++x)
            EXPECT_EQ(planes.Y(x, y), expected[y]) << x << "," << y;
        EXPECT_EQ(planes.Y(width, y), 16) << "padding column, row " << y;
    }
    // Greys and black have no colour; nothing of the 0xAA the planes were filled with is left.
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
        {
            EXPECT_EQ(planes.Cb(x, y), 128) << x << "," << y;
            EXPECT_EQ(planes.Cr(x, y), 128) << x << "," << y;
        }
}

TEST(Yuv420, WideRowsGiveWhatEachPixelGivesAlone)
{
    // Luma is per pixel: each pixel of a wide random row against the same pixel as a frame of
    // its own. Chroma is per pair of pixels; with every row the same the vertical filter keeps
    // a value, so each pair of the wide frame against the same pair as a 2x2 frame.
    const int width = 77;
    const int height = 12;
    const std::vector<uint8_t> bgra = Random(width, height, 7, true);
    const Planes wide = Convert(bgra, width, height);
    for (int x = 0; x < width; ++x)
    {
        const uint8_t* pixel = bgra.data() + x * 4;
        const Planes alone = Convert(std::vector<uint8_t>(pixel, pixel + 4), 1, 1);
        for (int y = 0; y < height; ++y)
            ASSERT_EQ(wide.Y(x, y), alone.Y(0, 0)) << x << "," << y;
    }
    for (int i = 0; i < width / 2; ++i)
    {
        const uint8_t* pair = bgra.data() + i * 8;
        std::vector<uint8_t> two(pair, pair + 8);
        two.insert(two.end(), pair, pair + 8);
        const Planes alone = Convert(two, 2, 2);
        for (int y = 0; y < height / 2; ++y)
        {
            ASSERT_EQ(wide.Cb(i, y), alone.Cb(0, 0)) << i << "," << y;
            ASSERT_EQ(wide.Cr(i, y), alone.Cr(0, 0)) << i << "," << y;
        }
    }
}

TEST(Yuv420, MatchesFfmpegsConversionOfTheSameFrame)
{
    if (FindProgram("ffmpeg").empty())
        GTEST_SKIP() << "ffmpeg is not installed";
    ScopedTempDir dir;
    // Random pixels are the hardest case for the chroma filter; smooth bands the commonest.
    struct Case
    {
        int width, height;
        bool smooth;
    };
    for (const Case c : {Case{83, 45, false}, Case{64, 36, true}, Case{35, 51, true}})
    {
        std::vector<uint8_t> bgra = Random(c.width, c.height, 11, false);
        if (c.smooth)
            for (int glRow = 0; glRow < c.height; ++glRow)
                for (int x = 0; x < c.width; ++x)
                {
                    uint8_t* pixel = bgra.data() + (static_cast<size_t>(glRow) * c.width + x) * 4;
                    pixel[0] = static_cast<uint8_t>(x * 7);
                    pixel[1] = static_cast<uint8_t>(glRow * 5);
                    pixel[2] = static_cast<uint8_t>(255 - x * 3 - glRow);
                }
        // ffmpeg reads the rows top first.
        std::vector<uint8_t> upright;
        for (int glRow = c.height - 1; glRow >= 0; --glRow)
            upright.insert(upright.end(), bgra.begin() + static_cast<ptrdiff_t>(glRow) * c.width * 4,
                           bgra.begin() + static_cast<ptrdiff_t>(glRow + 1) * c.width * 4);
        ASSERT_TRUE(WriteTestFile("frame.bgra", upright));
        std::string output;
        const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height);
        ASSERT_EQ(RunCommand("ffmpeg -v error -y -f rawvideo -pix_fmt bgra -video_size " + size +
                                 " -i frame.bgra -vf 'pad=ceil(iw/2)*2:ceil(ih/2)*2' -pix_fmt yuv420p -f rawvideo "
                                 "frame.yuv",
                             &output),
                  0)
            << output;
        const std::vector<uint8_t> theirs = ReadTestFile("frame.yuv");
        const Planes ours = Convert(bgra, c.width, c.height);
        ASSERT_EQ(theirs.size(), ours.bytes.size()) << size;
        const size_t lumaBytes = static_cast<size_t>(ours.width) * ours.height;
        size_t chromaSame = 0;
        for (size_t i = 0; i < theirs.size(); ++i)
        {
            const int difference = std::abs(static_cast<int>(ours.bytes[i]) - theirs[i]);
            if (i < lumaBytes)
                ASSERT_EQ(difference, 0) << size << ": luma byte " << i;
            else
                ASSERT_LE(difference, 1) << size << ": chroma byte " << i - lumaBytes;
            chromaSame += i >= lumaBytes && difference == 0 ? 1 : 0;
        }
        // The scaler rounds its filter's sums its own way: a step apart now and then, no more.
        EXPECT_GE(chromaSame * 10, (theirs.size() - lumaBytes) * 8) << size;
    }
}

} // namespace
