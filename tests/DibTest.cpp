// The DIB reader: the decoder over bytes (synthetic files and the shared BMP corpus against its
// PNG references), the file layer's messages, and the GL upload.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "DibTexture.h"
#include "GlChecks.h"
#include "MessageRecorder.h"
#include "TestFiles.h"
#include "codecs/ImageCodec.h"
#include "support/WholeFile.h"

// Rgb8 lives in the global namespace; its operators must too, for gtest to find them.
static bool operator==(const Rgb8& a, const Rgb8& b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

static std::ostream& operator<<(std::ostream& out, const Rgb8& c)
{
    return out << "(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& bytes, uint32_t value)
{
    bytes.push_back(static_cast<uint8_t>(value));
    bytes.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(Bytes& bytes, uint32_t value)
{
    Put16(bytes, value & 0xFFFF);
    Put16(bytes, value >> 16);
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

struct InfoFields
{
    int32_t width = 4;
    int32_t height = 2;
    uint16_t planes = 1;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
};

Bytes InfoHeader(const InfoFields& fields)
{
    Bytes bytes;
    Put32(bytes, 40);
    Put32(bytes, static_cast<uint32_t>(fields.width));
    Put32(bytes, static_cast<uint32_t>(fields.height));
    Put16(bytes, fields.planes);
    Put16(bytes, fields.bitCount);
    Put32(bytes, fields.compression);
    Put32(bytes, 0);   // image size
    Put32(bytes, 2835);
    Put32(bytes, 2835);
    Put32(bytes, fields.coloursUsed);
    Put32(bytes, 0);   // colours important
    return bytes;
}

Bytes CoreHeader(uint16_t width, uint16_t height, uint16_t bitCount)
{
    Bytes bytes;
    Put32(bytes, 12);
    Put16(bytes, width);
    Put16(bytes, height);
    Put16(bytes, 1);
    Put16(bytes, bitCount);
    return bytes;
}

// A "BM" file: file header, info header, tables (masks, palette), then the pixels.
Bytes WithFileHeader(const Bytes& header, const Bytes& tables, const Bytes& pixels)
{
    const uint32_t offset = static_cast<uint32_t>(14 + header.size() + tables.size());
    Bytes file = {'B', 'M'};
    Put32(file, static_cast<uint32_t>(offset + pixels.size()));
    Put32(file, 0);
    Put32(file, offset);
    return Concat({file, header, tables, pixels});
}

// Palette of 4-byte entries (blue, green, red, 0) from RGB colours.
Bytes Palette4(const std::vector<Rgb8>& colours)
{
    Bytes bytes;
    for (const Rgb8& c : colours)
        bytes.insert(bytes.end(), {c.b, c.g, c.r, 0});
    return bytes;
}

// Stored rows of width values of bitCount bits, each row padded to 4 bytes; value(x, row) is
// asked for file row 0 first.
Bytes PackRows(int width, int rows, int bitCount, const std::function<uint32_t(int x, int row)>& value)
{
    Bytes bytes;
    const size_t stride = (static_cast<size_t>(width) * bitCount + 31) / 32 * 4;
    for (int row = 0; row < rows; ++row)
    {
        Bytes line(stride, 0);
        for (int x = 0; x < width; ++x)
        {
            const uint32_t v = value(x, row);
            if (bitCount < 8)
            {
                const int bit = x * bitCount;
                line[bit / 8] |= static_cast<uint8_t>(v << (8 - bitCount - bit % 8));
            }
            else
            {
                for (int k = 0; k < bitCount / 8; ++k)
                    line[x * bitCount / 8 + k] = static_cast<uint8_t>(v >> (8 * k));
            }
        }
        bytes.insert(bytes.end(), line.begin(), line.end());
    }
    return bytes;
}

struct Decoded
{
    DibStatus status = DibStatus::Ok;
    int width = 0;
    int height = 0;
    Bytes rgb;
};

Decoded Decode(const Bytes& bytes)
{
    RgbImage* image = reinterpret_cast<RgbImage*>(1);
    Decoded decoded;
    decoded.status = DecodeDib(bytes.data(), bytes.size(), &image);
    if (decoded.status != DibStatus::Ok)
    {
        EXPECT_EQ(image, nullptr);
        return decoded;
    }
    EXPECT_NE(image, nullptr);
    if (image == nullptr)
        return decoded;
    decoded.width = image->width;
    decoded.height = image->height;
    decoded.rgb.assign(image->data, image->data + static_cast<size_t>(image->width) * image->height * 3);
    FreeRgbImage(image);
    return decoded;
}

Rgb8 At(const Decoded& image, int x, int row)
{
    const size_t at = (static_cast<size_t>(row) * image.width + x) * 3;
    return Rgb8{image.rgb[at], image.rgb[at + 1], image.rgb[at + 2]};
}

const Rgb8 kBlack{0, 0, 0};
const std::vector<Rgb8> kColours = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {10, 20, 30},
                                    {200, 100, 50}, {1, 2, 3}, {77, 88, 99}, {250, 250, 5}};

// A different colour for every (x, row), so shifted rows or columns show.
Rgb8 Pattern(int x, int row)
{
    return Rgb8{static_cast<uint8_t>(x * 7 + 3), static_cast<uint8_t>(row * 11 + 5), static_cast<uint8_t>(x ^ row)};
}

std::string Corpus(const std::string& relative)
{
    return SharedDir() + "/corpora/bmp/" + relative;
}

Decoded DecodeFile(const std::string& path)
{
    Bytes bytes;
    EXPECT_TRUE(ReadWholeFile(path, &bytes)) << path;
    return Decode(bytes);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Decoding synthetic files
// ---------------------------------------------------------------------------------------------

TEST(Dib, BottomUp24BitGivesPackedRgbBottomRowFirst)
{
    const Bytes pixels = PackRows(64, 32, 24, [](int x, int row) {
        const Rgb8 c = Pattern(x, row);
        return uint32_t{c.b} | (uint32_t{c.g} << 8) | (uint32_t{c.r} << 16);
    });
    const Decoded image = Decode(WithFileHeader(InfoHeader({64, 32, 1, 24, 0, 0}), {}, pixels));
    ASSERT_EQ(image.status, DibStatus::Ok);
    EXPECT_EQ(image.width, 64);
    EXPECT_EQ(image.height, 32);
    ASSERT_EQ(image.rgb.size(), 6144u);
    // The file's first row is the picture's bottom row, and it comes first.
    EXPECT_EQ(At(image, 0, 0), Pattern(0, 0));
    for (int row = 0; row < 32; ++row)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(At(image, x, row), Pattern(x, row)) << x << "," << row;
}

// Every bit count at widths 1 to 9: stored rows carry padding to 4 bytes, output rows carry
// none, and no pixel shifts from one row to the next.
TEST(Dib, OddWidthsKeepEveryRowInPlace)
{
    for (int bitCount : {1, 4, 8, 16, 24, 32})
    {
        for (int width = 1; width <= 9; ++width)
        {
            const int height = 3;
            Bytes palette;
            std::function<Rgb8(int, int)> expected;
            std::function<uint32_t(int, int)> stored;
            if (bitCount <= 8)
            {
                const uint32_t colours = 1u << bitCount;
                std::vector<Rgb8> entries;
                for (uint32_t i = 0; i < colours; ++i)
                    entries.push_back(Rgb8{static_cast<uint8_t>(i * 3 + 1), static_cast<uint8_t>(255 - i),
                                           static_cast<uint8_t>(i * 5)});
                palette = Palette4(entries);
                stored = [=](int x, int row) { return static_cast<uint32_t>(x * 3 + row * 5 + 1) % colours; };
                expected = [=](int x, int row) { return entries[stored(x, row)]; };
            }
            else if (bitCount == 16)
            {
                // 5-5-5 with values whose widening is exact: 0 and 31 only.
                stored = [](int x, int row) {
                    return ((x & 1) ? 0x7C00u : 0u) | ((row & 1) ? 0x03E0u : 0u) | (((x + row) % 3 == 0) ? 0x1Fu : 0u);
                };
                expected = [=](int x, int row) {
                    const uint32_t v = stored(x, row);
                    return Rgb8{static_cast<uint8_t>((v & 0x7C00u) ? 255 : 0), static_cast<uint8_t>((v & 0x03E0u) ? 255 : 0),
                                static_cast<uint8_t>((v & 0x1Fu) ? 255 : 0)};
                };
            }
            else
            {
                stored = [](int x, int row) {
                    const Rgb8 c = Pattern(x, row);
                    return uint32_t{c.b} | (uint32_t{c.g} << 8) | (uint32_t{c.r} << 16) | 0xAB000000u;
                };
                expected = Pattern;
            }
            InfoFields fields{width, height, 1, static_cast<uint16_t>(bitCount), 0, 0};
            const Decoded image = Decode(WithFileHeader(InfoHeader(fields), palette, PackRows(width, height, bitCount, stored)));
            ASSERT_EQ(image.status, DibStatus::Ok) << bitCount << " bits, width " << width;
            ASSERT_EQ(image.rgb.size(), static_cast<size_t>(width * height * 3));
            for (int row = 0; row < height; ++row)
                for (int x = 0; x < width; ++x)
                    ASSERT_EQ(At(image, x, row), expected(x, row))
                        << bitCount << " bits, width " << width << " at " << x << "," << row;
        }
    }
}

TEST(Dib, PaletteOfColoursUsedLengthExpandsAndLeavesOtherIndicesBlack)
{
    // Three colours used: the pixels start right after three entries, and index 7 names none.
    const std::vector<Rgb8> entries = {kColours[0], kColours[4], kColours[6]};
    const Bytes pixels = PackRows(4, 1, 8, [](int x, int) { return x == 3 ? 7u : static_cast<uint32_t>(x); });
    const Decoded image = Decode(WithFileHeader(InfoHeader({4, 1, 1, 8, 0, 3}), Palette4(entries), pixels));
    ASSERT_EQ(image.status, DibStatus::Ok);
    EXPECT_EQ(At(image, 0, 0), kColours[0]);
    EXPECT_EQ(At(image, 1, 0), kColours[4]);
    EXPECT_EQ(At(image, 2, 0), kColours[6]);
    EXPECT_EQ(At(image, 3, 0), kBlack);
}

TEST(Dib, BareDibsHaveTheirPixelsRightAfterThePalette)
{
    // 40-byte header, 4-bit, 16 entries of 4 bytes, no file header.
    std::vector<Rgb8> entries16(16, kBlack);
    for (size_t i = 0; i < kColours.size(); ++i)
        entries16[i] = kColours[i];
    const auto index = [](int x, int row) { return static_cast<uint32_t>((x + 2 * row) % 8); };
    const Decoded info = Decode(Concat({InfoHeader({3, 2, 1, 4, 0, 0}), Palette4(entries16), PackRows(3, 2, 4, index)}));
    ASSERT_EQ(info.status, DibStatus::Ok);
    for (int row = 0; row < 2; ++row)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(At(info, x, row), kColours[index(x, row)]);

    // 12-byte core header, 1-bit, 2 entries of 3 bytes.
    const Bytes palette3 = {30, 20, 10, 3, 2, 1};
    const auto bit = [](int x, int row) { return static_cast<uint32_t>((x + row) & 1); };
    const Decoded core = Decode(Concat({CoreHeader(5, 2, 1), palette3, PackRows(5, 2, 1, bit)}));
    ASSERT_EQ(core.status, DibStatus::Ok);
    for (int row = 0; row < 2; ++row)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(At(core, x, row), bit(x, row) ? (Rgb8{1, 2, 3}) : (Rgb8{10, 20, 30}));

    // Bit fields: the three masks sit between the header and the pixels.
    Bytes masks;
    Put32(masks, 0xF800);
    Put32(masks, 0x07E0);
    Put32(masks, 0x001F);
    const Decoded fields = Decode(Concat({InfoHeader({1, 1, 1, 16, 3, 0}), masks, PackRows(1, 1, 16, [](int, int) {
                                              return 0x07E0u;
                                          })}));
    ASSERT_EQ(fields.status, DibStatus::Ok);
    EXPECT_EQ(At(fields, 0, 0), (Rgb8{0, 255, 0}));
}

TEST(Dib, TopDownRowsAreDeliveredBottomUpWithPositiveHeight)
{
    // File row 0 of a top-down picture is its top row.
    const Bytes pixels = PackRows(3, 4, 24, [](int x, int row) {
        const Rgb8 c = Pattern(x, row);
        return uint32_t{c.b} | (uint32_t{c.g} << 8) | (uint32_t{c.r} << 16);
    });
    const Decoded image = Decode(WithFileHeader(InfoHeader({3, -4, 1, 24, 0, 0}), {}, pixels));
    ASSERT_EQ(image.status, DibStatus::Ok);
    EXPECT_EQ(image.height, 4);
    for (int row = 0; row < 4; ++row)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(At(image, x, row), Pattern(x, 3 - row)) << x << "," << row;
}

TEST(Dib, BitFieldsWidenEveryChannelToFullRange)
{
    Bytes masks565;
    Put32(masks565, 0xF800);
    Put32(masks565, 0x07E0);
    Put32(masks565, 0x001F);
    // Values 31/63/31, 1/1/1 and 16/32/16: full white, the smallest step, the middle.
    const std::vector<uint32_t> values = {0xFFFF, (1u << 11) | (1u << 5) | 1u, (16u << 11) | (32u << 5) | 16u};
    const Decoded wide = Decode(WithFileHeader(InfoHeader({3, 1, 1, 16, 3, 0}), masks565,
                                               PackRows(3, 1, 16, [&](int x, int) { return values[x]; })));
    ASSERT_EQ(wide.status, DibStatus::Ok);
    EXPECT_EQ(At(wide, 0, 0), (Rgb8{255, 255, 255}));
    EXPECT_EQ(At(wide, 1, 0), (Rgb8{8, 4, 8}));
    EXPECT_EQ(At(wide, 2, 0), (Rgb8{132, 130, 132}));

    // 32-bit fields in an unusual order: red in the low byte, blue in the high one.
    Bytes masks32;
    Put32(masks32, 0x000000FF);
    Put32(masks32, 0x0000FF00);
    Put32(masks32, 0xFF000000);
    const Decoded swapped = Decode(WithFileHeader(InfoHeader({1, 1, 1, 32, 3, 0}), masks32,
                                                  PackRows(1, 1, 32, [](int, int) { return 0x30AA0011u; })));
    ASSERT_EQ(swapped.status, DibStatus::Ok);
    EXPECT_EQ(At(swapped, 0, 0), (Rgb8{0x11, 0x00, 0x30}));
}

TEST(Dib, Rle8FollowsRunsAbsoluteRunsAndEscapes)
{
    std::vector<Rgb8> entries(4);
    for (int i = 0; i < 4; ++i)
        entries[i] = kColours[i];
    // Width 5, height 4, bottom-up:
    //   row 0: run of 3 x index 1, then end of line (2 pixels left unset)
    //   row 1: delta (2, 0), run of 2 x index 2, end of line
    //   row 2: absolute 3 pixels [3 1 2] (padded), delta (1, 1) to row 3 x = 4
    //   row 3: run of 200 x index 3 from x = 4 (clipped to one pixel), end of bitmap
    const Bytes stream = {3, 1, 0, 0, 0, 2, 2, 0, 2, 2, 0, 0, 0, 3, 3, 1, 2, 0, 0, 2, 1, 1, 200, 3, 0, 1};
    const Decoded image = Decode(WithFileHeader(InfoHeader({5, 4, 1, 8, 1, 4}), Palette4(entries), stream));
    ASSERT_EQ(image.status, DibStatus::Ok);
    const Rgb8 _ = kBlack;
    const Rgb8 a = kColours[1], b = kColours[2], c = kColours[3];
    const std::vector<std::vector<Rgb8>> expected = {
        {a, a, a, _, _}, {_, _, b, b, _}, {c, a, b, _, _}, {_, _, _, _, c}};
    for (int row = 0; row < 4; ++row)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(At(image, x, row), expected[row][x]) << x << "," << row;
}

TEST(Dib, Rle4AlternatesNibblesInRunsAndAbsoluteRuns)
{
    std::vector<Rgb8> entries(16, kBlack);
    for (int i = 0; i < 8; ++i)
        entries[i] = kColours[i];
    // Width 6, height 2:
    //   row 0: run of 5 of (1, 2) -> 1 2 1 2 1, end of line
    //   row 1: absolute 5 nibbles [3 4 5 6 7] in 3 bytes + 1 pad, end of bitmap
    const Bytes stream = {5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 1};
    const Decoded image = Decode(WithFileHeader(InfoHeader({6, 2, 1, 4, 2, 16}), Palette4(entries), stream));
    ASSERT_EQ(image.status, DibStatus::Ok);
    const std::vector<std::vector<int>> expected = {{1, 2, 1, 2, 1, -1}, {3, 4, 5, 6, 7, -1}};
    for (int row = 0; row < 2; ++row)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(At(image, x, row), expected[row][x] < 0 ? kBlack : kColours[expected[row][x]]) << x << "," << row;
}

// Bad inputs, each refused with the status its message comes from and no image.
TEST(Dib, RefusesMalformedFiles)
{
    const Bytes palette2 = Palette4({kColours[0], kColours[1]});
    const Bytes row24 = PackRows(4, 2, 24, [](int, int) { return 0x123456u; });
    Bytes v4Header = InfoHeader({4, 2, 1, 24, 0, 0});
    v4Header[0] = 108;
    v4Header.resize(108, 0);
    Bytes header66 = InfoHeader({4, 2, 1, 24, 0, 0});
    header66[0] = 66;
    header66.resize(66, 0);
    Bytes pixelsBeyondEnd = WithFileHeader(InfoHeader({4, 2, 1, 24, 0, 0}), {}, row24);
    pixelsBeyondEnd[10] = 0xFF;
    pixelsBeyondEnd[11] = 0xFF;
    Bytes shortRows = WithFileHeader(InfoHeader({4, 2, 1, 24, 0, 0}), {}, row24);
    shortRows.pop_back();
    Bytes cutHeader = InfoHeader({4, 2, 1, 24, 0, 0});
    cutHeader.resize(20);
    const Bytes jpegStart = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 0};

    struct Case
    {
        const char* name;
        Bytes bytes;
        DibStatus expected;
    };
    const std::vector<Case> cases = {
        {"empty buffer", {}, DibStatus::UnknownFormat},
        {"only the magic", {'B', 'M'}, DibStatus::UnknownFormat},
        {"file header, no info header", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0}, DibStatus::UnknownFormat},
        {"a JPEG", jpegStart, DibStatus::UnknownFormat},
        {"v4 header", WithFileHeader(v4Header, {}, row24), DibStatus::UnknownFormat},
        {"66-byte header", WithFileHeader(header66, {}, row24), DibStatus::UnknownFormat},
        {"info header cut short", cutHeader, DibStatus::ConversionError},
        {"width 0", WithFileHeader(InfoHeader({0, 2, 1, 24, 0, 0}), {}, row24), DibStatus::ConversionError},
        {"negative width", WithFileHeader(InfoHeader({-4, 2, 1, 24, 0, 0}), {}, row24), DibStatus::ConversionError},
        {"height 0", WithFileHeader(InfoHeader({4, 0, 1, 24, 0, 0}), {}, row24), DibStatus::ConversionError},
        {"two planes", WithFileHeader(InfoHeader({4, 2, 2, 24, 0, 0}), {}, row24), DibStatus::ConversionError},
        {"2 bits per pixel", WithFileHeader(InfoHeader({4, 2, 1, 2, 0, 0}), {}, row24), DibStatus::ConversionError},
        {"0 bits per pixel", WithFileHeader(InfoHeader({4, 2, 1, 0, 0, 0}), {}, row24), DibStatus::ConversionError},
        {"30000 bits per pixel", WithFileHeader(InfoHeader({4, 2, 1, 30000, 0, 0}), {}, row24), DibStatus::ConversionError},
        {"JPEG compression", WithFileHeader(InfoHeader({4, 2, 1, 24, 4, 0}), {}, row24), DibStatus::ConversionError},
        {"RLE8 on 4 bits", WithFileHeader(InfoHeader({4, 2, 1, 4, 1, 0}), {}, row24), DibStatus::ConversionError},
        {"RLE4 on 8 bits", WithFileHeader(InfoHeader({4, 2, 1, 8, 2, 0}), {}, row24), DibStatus::ConversionError},
        {"bit fields on 24 bits", WithFileHeader(InfoHeader({4, 2, 1, 24, 3, 0}), {}, row24), DibStatus::ConversionError},
        {"bit fields without masks", InfoHeader({4, 2, 1, 16, 3, 0}), DibStatus::ConversionError},
        {"palette beyond the end", Concat({InfoHeader({4, 2, 1, 8, 0, 0}), palette2}), DibStatus::ConversionError},
        {"pixel offset beyond the end", pixelsBeyondEnd, DibStatus::ConversionError},
        {"no pixels after the palette", Concat({InfoHeader({4, 2, 1, 1, 0, 2}), palette2}), DibStatus::ConversionError},
        {"last row one byte short", shortRows, DibStatus::ConversionError},
        {"top-down RLE8", WithFileHeader(InfoHeader({4, -2, 1, 8, 1, 2}), palette2, {0, 1}), DibStatus::ConversionError},
        {"width over 32768", WithFileHeader(InfoHeader({40000, 1, 1, 24, 0, 0}), {}, row24), DibStatus::OutOfMemory},
        {"64 Mi pixels and more", WithFileHeader(InfoHeader({16384, 16384, 1, 24, 0, 0}), {}, row24), DibStatus::OutOfMemory},
        {"largest width", WithFileHeader(InfoHeader({INT_MAX, 1, 1, 24, 0, 0}), {}, row24), DibStatus::OutOfMemory},
        {"most negative height", WithFileHeader(InfoHeader({4, INT_MIN, 1, 24, 0, 0}), {}, row24), DibStatus::OutOfMemory},
        {"huge RLE picture", WithFileHeader(InfoHeader({30000, 30000, 1, 8, 1, 2}), palette2, {0, 1}), DibStatus::OutOfMemory},
    };
    for (const Case& test : cases)
        EXPECT_EQ(Decode(test.bytes).status, test.expected) << test.name;
}

TEST(Dib, RunsAndDeltasThatLeaveThePictureAreClipped)
{
    const Bytes palette2 = Palette4({kColours[0], kColours[1]});
    // A 255-pixel run on a 2-pixel row, a delta far below the picture, and a stream with no
    // end mark: all end inside the picture's bounds.
    const std::vector<Bytes> streams = {
        {255, 1, 255, 1, 0, 0, 255, 1},
        {1, 1, 0, 2, 255, 255, 1, 1},
        {0, 255, 1},
        {0, 3, 1},
        {1},
    };
    for (const Bytes& stream : streams)
    {
        const Decoded image = Decode(WithFileHeader(InfoHeader({2, 2, 1, 8, 1, 2}), palette2, stream));
        ASSERT_EQ(image.status, DibStatus::Ok);
        EXPECT_EQ(image.rgb.size(), 12u);
    }
}

TEST(Dib, ColorCountFollowsHeaderKindColoursUsedAndBitCount)
{
    struct Case
    {
        Bytes header;
        uint16_t expected;
    };
    const std::vector<Case> cases = {
        {CoreHeader(1, 1, 1), 2},
        {CoreHeader(1, 1, 4), 16},
        {CoreHeader(1, 1, 8), 256},
        {CoreHeader(1, 1, 24), 0},
        {InfoHeader({1, 1, 1, 8, 0, 0}), 256},
        {InfoHeader({1, 1, 1, 4, 0, 0}), 16},
        {InfoHeader({1, 1, 1, 16, 0, 0}), 0},
        {InfoHeader({1, 1, 1, 8, 0, 100}), 100},
        {InfoHeader({1, 1, 1, 24, 0, 256}), 256},
        {InfoHeader({1, 1, 1, 8, 0, 0x12345634u}), 0x5634},
    };
    for (const Case& test : cases)
        EXPECT_EQ(DibColorCount(test.header.data()), test.expected);
}

// ---------------------------------------------------------------------------------------------
// The shared BMP corpus
// ---------------------------------------------------------------------------------------------

TEST(Dib, CorpusGoodFilesMatchTheirReferencePictures)
{
    // File -> reference picture, as the suite's own index pairs them; null: a header the reader
    // does not take (v4 and v5), refused as an unknown format.
    const std::vector<std::pair<const char*, const char*>> files = {
        {"pal1.bmp", "pal1.png"},         {"pal1wb.bmp", "pal1.png"},          {"pal1bg.bmp", "pal1bg.png"},
        {"pal4.bmp", "pal4.png"},         {"pal4gs.bmp", "pal4gs.png"},        {"pal4rle.bmp", "pal4.png"},
        {"pal8.bmp", "pal8.png"},         {"pal8-0.bmp", "pal8.png"},          {"pal8gs.bmp", "pal8gs.png"},
        {"pal8rle.bmp", "pal8.png"},      {"pal8w126.bmp", "pal8w126.png"},    {"pal8w125.bmp", "pal8w125.png"},
        {"pal8w124.bmp", "pal8w124.png"}, {"pal8topdown.bmp", "pal8.png"},     {"pal8nonsquare.bmp", "pal8nonsquare-e.png"},
        {"pal8os2.bmp", "pal8.png"},      {"pal8v4.bmp", nullptr},             {"pal8v5.bmp", nullptr},
        {"rgb16.bmp", "rgb16.png"},       {"rgb16bfdef.bmp", "rgb16.png"},     {"rgb16-565.bmp", "rgb16-565.png"},
        {"rgb16-565pal.bmp", "rgb16-565.png"}, {"rgb24.bmp", "rgb24.png"},     {"rgb24pal.bmp", "rgb24.png"},
        {"rgb32.bmp", "rgb24.png"},       {"rgb32bfdef.bmp", "rgb24.png"},     {"rgb32bf.bmp", "rgb24.png"},
    };
    // Every file of the folder is in the table.
    size_t filesInFolder = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Corpus("g")))
        filesInFolder += entry.path().extension() == ".bmp";
    EXPECT_EQ(filesInFolder, files.size());

    for (const auto& [file, reference] : files)
    {
        const Decoded image = DecodeFile(Corpus(std::string("g/") + file));
        if (reference == nullptr)
        {
            EXPECT_EQ(image.status, DibStatus::UnknownFormat) << file;
            continue;
        }
        ASSERT_EQ(image.status, DibStatus::Ok) << file;
        int width = 0;
        int height = 0;
        std::vector<uint8_t> rgba;
        std::string error;
        ASSERT_TRUE(ReadPngRgba(Corpus(std::string("ref/") + reference), &width, &height, &rgba, &error)) << error;
        ASSERT_EQ(image.width, width) << file;
        ASSERT_EQ(image.height, height) << file;
        size_t mismatches = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
            {
                // The reference is upright (top row first); the decoded rows run bottom-up.
                const uint8_t* ref = &rgba[(static_cast<size_t>(y) * width + x) * 4];
                const Rgb8 got = At(image, x, height - 1 - y);
                if (!(got == Rgb8{ref[0], ref[1], ref[2]}) && mismatches++ < 3)
                    ADD_FAILURE() << file << " at " << x << "," << y << ": " << got << " vs "
                                  << Rgb8{ref[0], ref[1], ref[2]};
            }
        EXPECT_EQ(mismatches, 0u) << file;
    }
}

TEST(Dib, CorpusBadFilesAreRefusedOrDecodedWithinBounds)
{
    // Those with one right answer; the others may be refused or decoded.
    const std::vector<std::pair<std::string, DibStatus>> known = {
        {"badbitcount.bmp", DibStatus::ConversionError}, {"badheadersize.bmp", DibStatus::UnknownFormat},
        {"badplanes.bmp", DibStatus::ConversionError},   {"badwidth.bmp", DibStatus::ConversionError},
        {"reallybig.bmp", DibStatus::OutOfMemory},       {"rletopdown.bmp", DibStatus::ConversionError},
        {"shortfile.bmp", DibStatus::ConversionError},
    };
    size_t seen = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Corpus("b")))
    {
        const std::string name = entry.path().filename().string();
        const Decoded image = DecodeFile(entry.path().string());
        ++seen;
        const auto expected = std::find_if(known.begin(), known.end(), [&](const auto& k) { return k.first == name; });
        if (expected != known.end())
        {
            EXPECT_EQ(image.status, expected->second) << name;
        }
        if (image.status == DibStatus::Ok)
        {
            EXPECT_GT(image.width, 0) << name;
            EXPECT_GT(image.height, 0) << name;
        }
    }
    EXPECT_GE(seen, known.size());
}

// ---------------------------------------------------------------------------------------------
// The file layer and its messages
// ---------------------------------------------------------------------------------------------

namespace {

Bytes Small24Bit()
{
    return WithFileHeader(InfoHeader({2, 2, 1, 24, 0, 0}), {}, PackRows(2, 2, 24, [](int x, int row) {
                              return static_cast<uint32_t>(0x102030 * (x + 2 * row + 1));
                          }));
}

} // namespace

TEST(Dib, EachFailedFileReadShowsExactlyItsMessage)
{
    ScopedTempDir dir;
    Bytes reallyBig;
    ASSERT_TRUE(ReadWholeFile(Corpus("b/reallybig.bmp"), &reallyBig));
    Bytes shortFile;
    ASSERT_TRUE(ReadWholeFile(Corpus("b/shortfile.bmp"), &shortFile));
    Bytes jpeg;
    ASSERT_TRUE(ReadWholeFile(SharedDir() + "/corpora/jpeg/testorig.jpg", &jpeg));

    struct Case
    {
        const char* file;
        Bytes bytes;
        const char* message;    // null: no message, an image
    };
    const std::vector<Case> cases = {
        {"empty.bmp", {}, "Failed to open DIB file empty.bmp.\n"},
        {"picture.jpg", jpeg, "Unknown DIB file format."},
        {"reallybig.bmp", reallyBig, "Out of memory."},
        {"shortfile.bmp", shortFile, "Image file conversion error."},
        {"good.bmp", Small24Bit(), nullptr},
    };
    for (const Case& test : cases)
    {
        ASSERT_TRUE(WriteTestFile(test.file, test.bytes));
        MessageRecorder capture;
        RgbImage* image = LoadDibImage(test.file);
        if (test.message == nullptr)
        {
            EXPECT_NE(image, nullptr) << test.file;
            EXPECT_TRUE(capture.Texts().empty()) << test.file;
        }
        else
        {
            EXPECT_EQ(image, nullptr) << test.file;
            ASSERT_EQ(capture.Texts().size(), 1u) << test.file;
            EXPECT_EQ(capture.Texts()[0], test.message);
            EXPECT_EQ(capture.Captions()[0], "Error");
        }
        FreeRgbImage(image);
    }
}

TEST(Dib, MissingFileGivesNothingAndNoMessage)
{
    ScopedTempDir dir;
    MessageRecorder capture;
    EXPECT_EQ(LoadDibImage("no-such-file.bmp"), nullptr);
    EXPECT_EQ(LoadDibImage(nullptr), nullptr);
    EXPECT_TRUE(capture.Texts().empty());
    // The reader behind it does report a file it cannot open.
    EXPECT_EQ(ReadDibFile("no-such-file.bmp"), nullptr);
    ASSERT_EQ(capture.Texts().size(), 1u);
    EXPECT_EQ(capture.Texts()[0], "Failed to open DIB file no-such-file.bmp.\n");
}

// ---------------------------------------------------------------------------------------------
// The GL texture
// ---------------------------------------------------------------------------------------------

TEST(Dib, TextureUploadsOddWidthsUnskewedAndRestoresUnpackAlignment)
{
    ASSERT_TRUE(GlTestContext::Create(32, 32));
    ScopedTempDir dir;
    // 5 pixels a row: 15 bytes, which no alignment but 1 leaves in place.
    const Bytes file = WithFileHeader(InfoHeader({5, 3, 1, 24, 0, 0}), {}, PackRows(5, 3, 24, [](int x, int row) {
                                          const Rgb8 c = Pattern(x, row);
                                          return uint32_t{c.b} | (uint32_t{c.g} << 8) | (uint32_t{c.r} << 16);
                                      }));
    ASSERT_TRUE(WriteTestFile("odd.bmp", file));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);

    const unsigned int texture = LoadBitmapTexture("odd.bmp");
    ASSERT_NE(texture, 0u);
    EXPECT_EQ(GetInt(GL_UNPACK_ALIGNMENT), 8);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

    EXPECT_EQ(static_cast<unsigned int>(GetInt(GL_TEXTURE_BINDING_2D)), texture);
    const TextureState state = ReadTexture(texture);
    EXPECT_EQ(state.width, 5);
    EXPECT_EQ(state.height, 3);
    EXPECT_EQ(state.minFilter, GL_LINEAR);
    EXPECT_EQ(state.magFilter, GL_LINEAR);

    const Bytes rgb = ReadTexels(texture, GL_RGB);
    for (int row = 0; row < 3; ++row)
        for (int x = 0; x < 5; ++x)
        {
            const uint8_t* texel = &rgb[(static_cast<size_t>(row) * 5 + x) * 3];
            EXPECT_EQ((Rgb8{texel[0], texel[1], texel[2]}), Pattern(x, row)) << x << "," << row;
        }
    EXPECT_TRUE(NoGlError("the test"));
    GLuint name = texture;
    glDeleteTextures(1, &name);
}

TEST(Dib, TopDownFileMakesAnUprightTexture)
{
    ASSERT_TRUE(GlTestContext::Create(32, 32));
    const unsigned int texture = LoadBitmapTexture(Corpus("g/pal8topdown.bmp").c_str());
    ASSERT_NE(texture, 0u);
    const Bytes fromTopDown = ReadTexels(texture, GL_RGB);
    EXPECT_EQ(fromTopDown.size(), 127u * 64u * 3u);
    GLuint name = texture;
    glDeleteTextures(1, &name);

    // The same picture stored bottom-up gives the same texels.
    const unsigned int reference = LoadBitmapTexture(Corpus("g/pal8.bmp").c_str());
    ASSERT_NE(reference, 0u);
    EXPECT_TRUE(ReadTexels(reference, GL_RGB) == fromTopDown);
    name = reference;
    glDeleteTextures(1, &name);
    EXPECT_TRUE(NoGlError("the test"));
}

TEST(Dib, FilesThatCannotBeLoadedGiveNoTexture)
{
    ASSERT_TRUE(GlTestContext::Create(32, 32));
    ScopedTempDir dir;
    ASSERT_TRUE(WriteTestFile("empty.bmp", {}));
    MessageRecorder capture;
    EXPECT_EQ(LoadBitmapTexture("missing.bmp"), 0u);
    EXPECT_TRUE(capture.Texts().empty());
    EXPECT_EQ(LoadBitmapTexture("empty.bmp"), 0u);
    EXPECT_EQ(capture.Texts().size(), 1u);
    EXPECT_TRUE(NoGlError("the test"));
}
