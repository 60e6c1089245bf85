// The demo's icon: the same picture at every size, the PNG files round-trip, and the Windows
// .ico file's directory and images read back as Windows reads them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "assetgen/Icon.h"
#include "codecs/ImageCodec.h"
#include "TestFiles.h"

namespace {

uint32_t U16(const Bytes& b, size_t at) { return b[at] | b[at + 1] << 8; }
uint32_t U32(const Bytes& b, size_t at) { return U16(b, at) | U16(b, at + 2) << 16; }

// The icon averaged down to `size` (premultiplied by alpha, so transparent corners do not
// darken the edge), as RGBA floats.
std::vector<float> AveragedDown(const IconImage& icon, int size)
{
    std::vector<float> out(static_cast<size_t>(size) * size * 4, 0.0f);
    std::vector<int> count(static_cast<size_t>(size) * size, 0);
    for (int y = 0; y < icon.size; ++y)
        for (int x = 0; x < icon.size; ++x)
        {
            const uint8_t* p = &icon.rgba[(static_cast<size_t>(y) * icon.size + x) * 4];
            const size_t cell = static_cast<size_t>(y * size / icon.size) * size + x * size / icon.size;
            for (int c = 0; c < 3; ++c)
                out[cell * 4 + c] += p[c] * p[3] / 255.0f;
            out[cell * 4 + 3] += p[3];
            ++count[cell];
        }
    for (size_t i = 0; i < out.size(); ++i)
        out[i] /= static_cast<float>(count[i / 4]);
    return out;
}

TEST(Icon, EverySizeShowsTheSamePicture)
{
    const IconImage large = PaintIcon(256);
    for (int size : IconSizes())
    {
        const IconImage icon = PaintIcon(size);
        ASSERT_EQ(icon.size, size);
        ASSERT_EQ(icon.rgba.size(), static_cast<size_t>(size) * size * 4);
        auto pixel = [&](int x, int y) { return &icon.rgba[(static_cast<size_t>(y) * size + x) * 4]; };
        // Rounded corners (at 16 pixels the curve still grazes the corner pixel), an opaque
        // middle, and the warm top bar of the letter.
        EXPECT_LT(pixel(0, 0)[3], 16) << size;
        EXPECT_LT(pixel(size - 1, size - 1)[3], 16) << size;
        EXPECT_EQ(pixel(size / 2, size / 2)[3], 255) << size;
        const uint8_t* bar = pixel(size / 2, size * 29 / 100);
        EXPECT_GT(bar[0], 200) << size;
        EXPECT_GT(bar[0], bar[2] + 80) << size;
        // The large picture averaged down to this size is close to this size's own drawing.
        const std::vector<float> reference = AveragedDown(large, size);
        const std::vector<float> own = AveragedDown(icon, size);
        double difference = 0.0;
        for (size_t i = 0; i < own.size(); ++i)
            difference += std::fabs(own[i] - reference[i]);
        EXPECT_LT(difference / own.size(), 12.0) << size;
    }
}

TEST(Icon, PngKeepsEveryPixel)
{
    for (int size : {16, 48})
    {
        const IconImage icon = PaintIcon(size);
        ScopedTempDir dir;
        std::string error;
        ASSERT_TRUE(WriteFileBytes(dir.Path() + "/icon.png", EncodeIconPng(icon), &error)) << error;
        int width = 0;
        int height = 0;
        std::vector<uint8_t> rgba;
        ASSERT_TRUE(ReadPngRgba(dir.Path() + "/icon.png", &width, &height, &rgba, &error)) << error;
        EXPECT_EQ(width, size);
        EXPECT_EQ(height, size);
        EXPECT_EQ(rgba, icon.rgba) << size;
    }
}

TEST(Icon, IcoHoldsEachImageAsWindowsReadsIt)
{
    const std::vector<IconImage> images = {PaintIcon(16), PaintIcon(32), PaintIcon(48), PaintIcon(256)};
    const Bytes ico = EncodeIco(images);
    ASSERT_GE(ico.size(), 6u + 16u * images.size());
    EXPECT_EQ(U16(ico, 0), 0u);
    EXPECT_EQ(U16(ico, 2), 1u);
    ASSERT_EQ(U16(ico, 4), images.size());
    size_t expectedOffset = 6 + 16 * images.size();
    for (size_t i = 0; i < images.size(); ++i)
    {
        const IconImage& image = images[i];
        const size_t entry = 6 + 16 * i;
        const int n = image.size;
        EXPECT_EQ(ico[entry], n == 256 ? 0 : n) << n;
        EXPECT_EQ(ico[entry + 1], n == 256 ? 0 : n) << n;
        EXPECT_EQ(U16(ico, entry + 4), 1u) << n;
        EXPECT_EQ(U16(ico, entry + 6), 32u) << n;
        const size_t length = U32(ico, entry + 8);
        const size_t offset = U32(ico, entry + 12);
        EXPECT_EQ(offset, expectedOffset) << n;
        ASSERT_LE(offset + length, ico.size()) << n;
        expectedOffset = offset + length;
        const Bytes body(ico.begin() + offset, ico.begin() + offset + length);

        if (n == 256)
        {
            EXPECT_EQ(body, EncodeIconPng(image));
            continue;
        }
        const size_t maskStride = (n + 31) / 32 * 4;
        ASSERT_EQ(body.size(), 40 + static_cast<size_t>(n) * n * 4 + maskStride * n) << n;
        EXPECT_EQ(U32(body, 0), 40u);
        EXPECT_EQ(U32(body, 4), static_cast<uint32_t>(n));
        EXPECT_EQ(U32(body, 8), static_cast<uint32_t>(2 * n));
        EXPECT_EQ(U16(body, 14), 32u);
        EXPECT_EQ(U32(body, 16), 0u);
        // Bottom row first, BGRA; then the AND mask, set exactly where alpha is 0.
        int wrongColours = 0;
        int wrongMask = 0;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x)
            {
                const uint8_t* want = &image.rgba[(static_cast<size_t>(y) * n + x) * 4];
                const uint8_t* got = &body[40 + (static_cast<size_t>(n - 1 - y) * n + x) * 4];
                wrongColours += got[0] != want[2] || got[1] != want[1] || got[2] != want[0] || got[3] != want[3];
                const uint8_t maskByte = body[40 + static_cast<size_t>(n) * n * 4 + (n - 1 - y) * maskStride + x / 8];
                wrongMask += ((maskByte >> (7 - x % 8)) & 1) != (want[3] == 0);
            }
        EXPECT_EQ(wrongColours, 0) << n;
        EXPECT_EQ(wrongMask, 0) << n;
    }
    EXPECT_EQ(expectedOffset, ico.size());
    EXPECT_THROW(EncodeIco({IconImage{}}), std::runtime_error);
}

} // namespace
