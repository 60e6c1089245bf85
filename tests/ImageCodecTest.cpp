// The image codecs against files made by other tools (shared corpora), hand-made TGA variants
// the corpora lack, tables of damaged input, and PNG and file round trips. Where libjpeg and
// libpng exist (Linux), plain decodes and encodes through them are the independent references;
// the Windows build has neither, and its JPEG decoder rounds on its own (its frames are compared
// with the Linux build's in CI).
#include <gtest/gtest.h>

#if ZARNOVELT_TEST_REFERENCE_CODECS
#include <jpeglib.h>
#include <png.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "codecs/ImageCodec.h"
#include "TestFiles.h"
#include "support/WholeFile.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Load(const std::string& path)
{
    Bytes bytes;
    EXPECT_TRUE(ReadWholeFile(path, &bytes)) << path;
    return bytes;
}

std::string Corpus(const std::string& name) { return SharedDir() + "/corpora/" + name; }

// Compares a bottom-up decode with an upright RGBA picture: colour always, alpha when the
// decode has it.
::testing::AssertionResult MatchesUpright(const DecodedImage& image, int width, int height,
                                          const Bytes& rgba)
{
    if (image.width != width || image.height != height)
        return ::testing::AssertionFailure() << "size " << image.width << "x" << image.height
                                             << ", expected " << width << "x" << height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < image.channels; ++c)
            {
                const int got = image.pixels[((height - 1 - y) * width + x) * image.channels + c];
                const int want = rgba[(y * width + x) * 4 + c];
                if (got != want)
                    return ::testing::AssertionFailure()
                           << "pixel (" << x << ", " << y << " from the top) channel " << c
                           << ": " << got << ", expected " << want;
            }
    return ::testing::AssertionSuccess();
}

// ---------------------------------------------------------------------------------------------
// TGA
// ---------------------------------------------------------------------------------------------

TEST(ImageCodec, TgaCorpusFilesMatchTheirPngReferences)
{
    int checked = 0;
    for (const auto& entry : fs::directory_iterator(Corpus("tga")))
    {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".tga")
            continue;
        SCOPED_TRACE(name);
        // {size}_{mode}_{origin}_{compression}.tga; the reference is {size}_{mode}.png.
        const size_t modeEnd = name.find('_', name.find('_') + 1);
        const std::string stem = name.substr(0, modeEnd);
        const std::string mode = stem.substr(stem.find('_') + 1);
        int width = 0;
        int height = 0;
        Bytes reference;
        std::string error;
        ASSERT_TRUE(ReadPngRgba(Corpus("tga/" + stem + ".png"), &width, &height, &reference, &error))
            << error;

        const Bytes bytes = Load(entry.path().string());
        DecodedImage image;
        ASSERT_TRUE(DecodeTga(bytes.data(), bytes.size(), &image, &error)) << error;
        EXPECT_EQ(image.channels, mode == "la" || mode == "rgba" ? 4 : 3);
        EXPECT_EQ(image.pixels.size(), size_t(width) * height * image.channels);
        EXPECT_TRUE(MatchesUpright(image, width, height, reference));
        ++checked;
    }
    EXPECT_EQ(checked, 24);
}

struct TgaMap
{
    uint8_t type = 0;
    uint16_t first = 0;
    uint16_t length = 0;
    uint8_t bits = 0;
};

// An 18-byte header followed by `rest` (image ID, colour map and pixel data as the case needs).
Bytes Tga(uint8_t type, uint16_t width, uint16_t height, uint8_t depth, uint8_t descriptor,
          const Bytes& rest, TgaMap map = {}, uint8_t idLength = 0)
{
    Bytes bytes = {idLength,
                   map.type,
                   type,
                   uint8_t(map.first),
                   uint8_t(map.first >> 8),
                   uint8_t(map.length),
                   uint8_t(map.length >> 8),
                   map.bits,
                   0, 0, 0, 0,
                   uint8_t(width),
                   uint8_t(width >> 8),
                   uint8_t(height),
                   uint8_t(height >> 8),
                   depth,
                   descriptor};
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    return bytes;
}

TEST(ImageCodec, TgaDecodesLayoutsTheCorpusLacks)
{
    struct Case
    {
        const char* name;
        Bytes file;
        int width, height, channels;
        Bytes pixels;  // bottom row first
    };
    const std::vector<Case> cases = {
        // 5-5-5 words, little-endian: 0xFC00 red with the attribute bit, 0x03E0 green without.
        {"16-bit, one alpha bit", Tga(2, 2, 1, 16, 0x01, {0x00, 0xFC, 0xE0, 0x03}), 2, 1, 4,
         {255, 0, 0, 255, 0, 255, 0, 0}},
        {"16-bit, no alpha declared", Tga(2, 2, 1, 16, 0x00, {0x00, 0xFC, 0xE0, 0x03}), 2, 1, 3,
         {255, 0, 0, 0, 255, 0}},
        // Bit 15 of a 15-bit value is not alpha even when the descriptor claims one.
        {"15-bit", Tga(2, 2, 1, 15, 0x01, {0x1F, 0x7C, 0x10, 0xC2}), 2, 1, 3,
         {255, 0, 255, 132, 132, 132}},
        {"32-bit, no alpha declared", Tga(2, 1, 1, 32, 0x00, {10, 20, 30, 0}), 1, 1, 3,
         {30, 20, 10}},
        {"grey+alpha, no alpha declared", Tga(3, 1, 1, 16, 0x00, {77, 0}), 1, 1, 3, {77, 77, 77}},
        // Right-to-left and top-down: file order is top-right, top-left, bottom-right, ...
        {"origin top-right", Tga(2, 2, 2, 24, 0x30, {1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4}), 2, 2, 3,
         {4, 4, 4, 3, 3, 3, 2, 2, 2, 1, 1, 1}},
        {"origin bottom-right", Tga(2, 2, 1, 24, 0x10, {1, 1, 1, 2, 2, 2}), 2, 1, 3,
         {2, 2, 2, 1, 1, 1}},
        // Three ID bytes, then a map of two 16-bit entries numbered from 2.
        {"mapped, first entry 2, ID field",
         Tga(1, 2, 1, 8, 0x00, {'a', 'b', 'c', 0x00, 0xFC, 0x1F, 0x00, 3, 2}, {1, 2, 2, 16}, 3),
         2, 1, 3, {0, 0, 255, 255, 0, 0}},
        {"mapped RLE, 32-bit entries with alpha",
         Tga(9, 3, 1, 8, 0x08, {0, 0, 255, 128, 255, 0, 0, 64, 0x81, 1, 0x00, 0}, {1, 0, 2, 32}),
         3, 1, 4, {0, 0, 255, 64, 0, 0, 255, 64, 255, 0, 0, 128}},
        // One run of three pixels crosses from the first row into the second.
        {"RLE run across rows", Tga(11, 2, 2, 8, 0x00, {0x82, 9, 0x00, 5}), 2, 2, 3,
         {9, 9, 9, 9, 9, 9, 9, 9, 9, 5, 5, 5}},
        // A colour map on a true-colour picture is skipped, not used.
        {"true-colour with a colour map", Tga(2, 1, 1, 24, 0x00, {7, 7, 7, 1, 2, 3}, {1, 0, 1, 24}),
         1, 1, 3, {3, 2, 1}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        DecodedImage image;
        std::string error;
        ASSERT_TRUE(DecodeTga(c.file.data(), c.file.size(), &image, &error)) << error;
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.height, c.height);
        EXPECT_EQ(image.channels, c.channels);
        EXPECT_EQ(image.pixels, c.pixels);
    }
}

TEST(ImageCodec, TgaRefusesMalformedFiles)
{
    const Bytes pixel = {1, 2, 3};
    const TgaMap twoEntries = {1, 0, 2, 24};
    const Bytes twoEntryMap = {0, 0, 255, 0, 255, 0};
    auto withMap = [&](const Bytes& data) {
        Bytes rest = twoEntryMap;
        rest.insert(rest.end(), data.begin(), data.end());
        return rest;
    };
    struct Case
    {
        const char* name;
        Bytes file;
    };
    const std::vector<Case> cases = {
        {"empty", {}},
        {"short header", Bytes(17, 0)},
        {"no image data (type 0)", Tga(0, 1, 1, 24, 0, pixel)},
        {"unknown type 4", Tga(4, 1, 1, 24, 0, pixel)},
        {"compressed type 32", Tga(32, 1, 1, 24, 0, pixel)},
        {"colour-map type 2", Tga(2, 1, 1, 24, 0, pixel, {2, 0, 0, 0})},
        {"mapped without a map", Tga(1, 1, 1, 8, 0, {0})},
        {"mapped with an empty map", Tga(1, 1, 1, 8, 0, {0}, {1, 0, 0, 24})},
        {"mapped with 8-bit entries", Tga(1, 1, 1, 8, 0, {0, 0, 0}, {1, 0, 2, 8})},
        {"zero width", Tga(2, 0, 1, 24, 0, pixel)},
        {"zero height", Tga(2, 1, 0, 24, 0, pixel)},
        {"huge width", Tga(2, 20000, 1, 24, 0, Bytes(60000, 0))},
        {"huge height", Tga(2, 1, 65535, 24, 0, pixel)},
        {"large raw size, tiny data", Tga(2, 16384, 16384, 32, 0, pixel)},
        {"large RLE size, tiny data", Tga(10, 16384, 16384, 24, 0, {0xFF, 1, 2, 3})},
        {"8-bit true-colour", Tga(2, 1, 1, 8, 0, pixel)},
        {"24-bit grey", Tga(3, 1, 1, 24, 0, pixel)},
        {"16-bit mapped", Tga(1, 1, 1, 16, 0, withMap({0, 0}), twoEntries)},
        {"image ID past the end", Tga(2, 1, 1, 24, 0, pixel, {}, 200)},
        {"colour map past the end", Tga(1, 1, 1, 8, 0, {0, 0, 255}, {1, 0, 200, 24})},
        {"map index past the map", Tga(1, 2, 1, 8, 0, withMap({1, 5}), twoEntries)},
        {"map index below the first entry", Tga(1, 1, 1, 8, 0, withMap({1}), {1, 4, 2, 24})},
        {"RLE map index past the map", Tga(9, 2, 1, 8, 0, withMap({0x81, 2}), twoEntries)},
        {"raw data truncated", Tga(2, 2, 2, 24, 0, Bytes(11, 0))},
        {"RLE run past the picture", Tga(10, 1, 1, 24, 0, {0x81, 1, 2, 3})},
        {"RLE raw packet past the picture", Tga(10, 2, 1, 24, 0, {0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9})},
        {"RLE data ends early", Tga(10, 2, 2, 24, 0, {0x81, 1, 2, 3})},
        {"RLE data ends inside a run", Tga(10, 2, 1, 24, 0, {0x00, 1, 2, 3, 0x80, 1, 2})},
        {"RLE data ends inside a raw packet", Tga(10, 2, 1, 24, 0, {0x01, 1, 2, 3, 4})},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        DecodedImage image;
        image.width = 5;
        std::string error;
        EXPECT_FALSE(DecodeTga(c.file.data(), c.file.size(), &image, &error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(image.width, 0);
        EXPECT_TRUE(image.pixels.empty());
    }
}

// Cutting a real file anywhere inside its pixel data must be refused; a cut after the pixel
// data (in the trailing footer) may decode, but then to the same picture.
TEST(ImageCodec, TgaEveryPrefixIsRefusedOrComplete)
{
    for (const char* name : {"tga/200x32_p_bl_rle.tga", "tga/200x32_la_tl_raw.tga"})
    {
        SCOPED_TRACE(name);
        const Bytes bytes = Load(Corpus(name));
        DecodedImage full;
        std::string error;
        ASSERT_TRUE(DecodeTga(bytes.data(), bytes.size(), &full, &error)) << error;
        size_t shortestAccepted = bytes.size();
        for (size_t length = bytes.size(); length-- > 0;)
        {
            // A copy of exactly this length, so a read past it is caught by sanitizers.
            const Bytes prefix(bytes.begin(), bytes.begin() + length);
            DecodedImage image;
            if (DecodeTga(prefix.data(), prefix.size(), &image, &error))
            {
                ASSERT_EQ(image.pixels, full.pixels) << "prefix of " << length << " bytes";
                shortestAccepted = length;
            }
        }
        // Only the footer (at most the 26-byte TGA 2.0 footer plus its extension area) may go.
        EXPECT_GT(shortestAccepted, bytes.size() - 600);
    }
}

// ---------------------------------------------------------------------------------------------
// JPEG
// ---------------------------------------------------------------------------------------------

#if ZARNOVELT_TEST_REFERENCE_CODECS
// An independent plain libjpeg decode, top row first, components as stored (1 or 3).
bool ReferenceJpeg(const std::string& path, int* width, int* height, int* components, Bytes* pixels)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    *width = int(info.output_width);
    *height = int(info.output_height);
    *components = info.output_components;
    pixels->resize(size_t(*width) * *height * *components);
    while (info.output_scanline < info.output_height)
    {
        JSAMPROW row = pixels->data() + size_t(info.output_scanline) * *width * *components;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return true;
}
#endif

TEST(ImageCodec, JpegCorpusFilesDecodeUpsideDownToRgb)
{
    struct Case
    {
        const char* name;
        int width, height;
        bool grey;
    };
    for (const Case& c : {Case{"jpeg/testorig.jpg", 227, 149, false},
                          Case{"jpeg/progressive_test.jpg", 32, 23, false},
                          Case{"jpeg/hopper_gray.jpg", 128, 128, true}})
    {
        SCOPED_TRACE(c.name);
        const Bytes bytes = Load(Corpus(c.name));
        DecodedImage image;
        std::string error;
        ASSERT_TRUE(DecodeJpeg(bytes.data(), bytes.size(), &image, &error)) << error;
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.height, c.height);
        ASSERT_EQ(image.channels, 3);
        ASSERT_EQ(image.pixels.size(), size_t(c.width) * c.height * 3);

#if ZARNOVELT_TEST_REFERENCE_CODECS
        int width = 0, height = 0, components = 0;
        Bytes reference;
        ASSERT_TRUE(ReferenceJpeg(Corpus(c.name), &width, &height, &components, &reference));
        ASSERT_EQ(components, c.grey ? 1 : 3);
        // Not a flat picture: a decode that produced a blank would pass the comparison below
        // only if the reference were blank too.
        const auto [low, high] = std::minmax_element(reference.begin(), reference.end());
        EXPECT_GT(*high - *low, 100);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                for (int ch = 0; ch < 3; ++ch)
                {
                    const int want = reference[(size_t(y) * width + x) * components +
                                               (components == 1 ? 0 : ch)];
                    const int got = image.pixels[(size_t(height - 1 - y) * width + x) * 3 + ch];
                    ASSERT_EQ(got, want) << "at (" << x << ", " << y << ") channel " << ch;
                }
#else
        // No reference decoder: not a flat picture, and a grey one stays grey.
        const auto [low, high] = std::minmax_element(image.pixels.begin(), image.pixels.end());
        EXPECT_GT(*high - *low, 100);
        for (size_t p = 0; c.grey && p < image.pixels.size(); p += 3)
        {
            ASSERT_EQ(image.pixels[p], image.pixels[p + 1]) << p;
            ASSERT_EQ(image.pixels[p], image.pixels[p + 2]) << p;
        }
#endif
    }
}

// Orientation checked against a picture of our own: red on top, blue below.
TEST(ImageCodec, JpegFirstRowIsTheBottomOfThePicture)
{
    ScopedTempDir dir;
    ASSERT_TRUE(WriteTestJpeg("split.jpg", 16, 16, [](int, int y) {
        return y < 8 ? Rgb8{255, 0, 0} : Rgb8{0, 0, 255};
    }));
    const Bytes bytes = Load("split.jpg");
    DecodedImage image;
    std::string error;
    ASSERT_TRUE(DecodeJpeg(bytes.data(), bytes.size(), &image, &error)) << error;
    const uint8_t* bottom = &image.pixels[0];
    const uint8_t* top = &image.pixels[(15 * 16) * 3];
    EXPECT_LT(bottom[0], 16);
    EXPECT_GT(bottom[2], 240);
    EXPECT_GT(top[0], 240);
    EXPECT_LT(top[2], 16);
}

// Replaces the size in the first SOF0/SOF2 segment.
Bytes WithJpegSize(Bytes bytes, int width, int height)
{
    for (size_t i = 0; i + 9 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2))
        {
            bytes[i + 5] = uint8_t(height >> 8);
            bytes[i + 6] = uint8_t(height);
            bytes[i + 7] = uint8_t(width >> 8);
            bytes[i + 8] = uint8_t(width);
            return bytes;
        }
    ADD_FAILURE() << "no start-of-frame marker";
    return bytes;
}

TEST(ImageCodec, JpegRefusesDamagedFiles)
{
    const Bytes original = Load(Corpus("jpeg/testorig.jpg"));
    const Bytes progressive = Load(Corpus("jpeg/progressive_test.jpg"));
    struct Case
    {
        const char* name;
        Bytes file;
    };
    const std::vector<Case> cases = {
        {"cut off mid-scan (corpus)", Load(Corpus("jpeg/truncated_jpeg.jpg"))},
        {"empty", {}},
        {"not a JPEG", {'h', 'e', 'l', 'l', 'o', '\n'}},
        {"baseline cut in half", Bytes(original.begin(), original.begin() + original.size() / 2)},
        {"progressive cut in half",
         Bytes(progressive.begin(), progressive.begin() + progressive.size() / 2)},
        {"header only", Bytes(original.begin(), original.begin() + 200)},
        {"too wide", WithJpegSize(original, 20000, 149)},
        {"too tall", WithJpegSize(progressive, 32, 60000)},
        {"zero height", WithJpegSize(original, 227, 0)},
        // The decoder reads ahead into where the end marker should be; strict by decision.
        {"end marker missing", Bytes(original.begin(), original.end() - 2)},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        DecodedImage image;
        std::string error;
        EXPECT_FALSE(DecodeJpeg(c.file.data(), c.file.size(), &image, &error));
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(image.pixels.empty());
        EXPECT_EQ(image.width, 0);
    }
}

// Stray bytes between the last scan and the end marker come after every pixel is known.
TEST(ImageCodec, JpegAcceptsStrayBytesAfterTheLastScan)
{
    const Bytes original = Load(Corpus("jpeg/testorig.jpg"));
    ASSERT_EQ(original[original.size() - 2], 0xFF);
    ASSERT_EQ(original[original.size() - 1], 0xD9);
    Bytes padded(original.begin(), original.end() - 2);
    padded.insert(padded.end(), 40, 0x5A);
    padded.insert(padded.end(), {0xFF, 0xD9});
    DecodedImage clean, image;
    std::string error;
    ASSERT_TRUE(DecodeJpeg(original.data(), original.size(), &clean, &error)) << error;
    ASSERT_TRUE(DecodeJpeg(padded.data(), padded.size(), &image, &error)) << error;
    EXPECT_EQ(image.pixels, clean.pixels);
}

// ---------------------------------------------------------------------------------------------
// PNG and files
// ---------------------------------------------------------------------------------------------

TEST(ImageCodec, PngWriteThenReadKeepsColoursAndDropsAlpha)
{
    ScopedTempDir dir;
    const int width = 7;
    const int height = 5;
    Bytes bgra(size_t(width) * height * 4);
    for (size_t i = 0; i < bgra.size(); ++i)
        bgra[i] = uint8_t(i * 37 + 11);
    for (int level : {0, 9})
    {
        SCOPED_TRACE(level);
        std::string error;
        ASSERT_TRUE(WritePngBgra("frame.png", width, height, bgra.data(), &error, level)) << error;
        int readWidth = 0, readHeight = 0;
        Bytes rgba;
        ASSERT_TRUE(ReadPngRgba("frame.png", &readWidth, &readHeight, &rgba, &error)) << error;
        ASSERT_EQ(readWidth, width);
        ASSERT_EQ(readHeight, height);
        ASSERT_EQ(rgba.size(), bgra.size());
        for (size_t p = 0; p < rgba.size(); p += 4)
        {
            ASSERT_EQ(rgba[p + 0], bgra[p + 2]) << "pixel " << p / 4;
            ASSERT_EQ(rgba[p + 1], bgra[p + 1]);
            ASSERT_EQ(rgba[p + 2], bgra[p + 0]);
            ASSERT_EQ(rgba[p + 3], 255);
        }
    }
}

#if ZARNOVELT_TEST_REFERENCE_CODECS
// Writes raw samples (packed as the PNG format stores them) through plain libpng.
void WriteRawPng(const std::string& path, int width, int height, int colourType, int bitDepth,
                 bool interlaced, const std::vector<Bytes>& rows,
                 const std::vector<png_color>& palette = {}, const Bytes& paletteAlpha = {},
                 const png_color_16* transparent = nullptr)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, bitDepth, colourType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
    if (!paletteAlpha.empty() || transparent != nullptr)
        png_set_tRNS(png, info, paletteAlpha.empty() ? nullptr : paletteAlpha.data(),
                     int(paletteAlpha.size()), transparent);
    std::vector<png_bytep> pointers;
    for (const Bytes& row : rows)
        pointers.push_back(const_cast<png_bytep>(row.data()));
    png_write_info(png, info);
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

TEST(ImageCodec, PngReadsEveryLayoutAsRgba8)
{
    // Palette, grey and 8-bit RGB(A) files are covered by the TGA references above; these are
    // the layouts they lack.
    ScopedTempDir dir;
    // 16-bit samples v * 257 (both bytes v) scale exactly to v; interlaced.
    WriteRawPng("rgba16.png", 2, 2, PNG_COLOR_TYPE_RGB_ALPHA, 16, true,
                {{10, 10, 20, 20, 30, 30, 40, 40, 50, 50, 60, 60, 70, 70, 80, 80},
                 {90, 90, 100, 100, 110, 110, 120, 120, 130, 130, 140, 140, 150, 150, 255, 255}});
    // 2-bit grey 0, 1, 2, 3 with grey value 1 marked transparent.
    png_color_16 greyKey = {};
    greyKey.gray = 1;
    WriteRawPng("grey2.png", 4, 1, PNG_COLOR_TYPE_GRAY, 2, false, {{0x1B}}, {}, {}, &greyKey);
    // 4-bit palette indices 2, 0; entry 0 half transparent, entry 2 beyond the alpha table.
    WriteRawPng("pal4.png", 2, 1, PNG_COLOR_TYPE_PALETTE, 4, false, {{0x20}},
                {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}}, {128, 255});
    WriteRawPng("grey16.png", 1, 1, PNG_COLOR_TYPE_GRAY, 16, false, {{77, 77}});

    struct Case
    {
        const char* name;
        int width, height;
        Bytes rgba;
    };
    const std::vector<Case> cases = {
        {"rgba16.png", 2, 2,
         {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150, 255}},
        {"grey2.png", 4, 1,
         {0, 0, 0, 255, 85, 85, 85, 0, 170, 170, 170, 255, 255, 255, 255, 255}},
        {"pal4.png", 2, 1, {0, 0, 255, 255, 255, 0, 0, 128}},
        {"grey16.png", 1, 1, {77, 77, 77, 255}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        int width = 0, height = 0;
        Bytes rgba;
        std::string error;
        ASSERT_TRUE(ReadPngRgba(c.name, &width, &height, &rgba, &error)) << error;
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(height, c.height);
        EXPECT_EQ(rgba, c.rgba);
    }
}
#endif

TEST(ImageCodec, PngFailuresAreReported)
{
    ScopedTempDir dir;
    const Bytes bgra(4 * 4 * 4, 128);
    std::string error;
    EXPECT_FALSE(WritePngBgra("missing-dir/frame.png", 4, 4, bgra.data(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(WritePngBgra("empty.png", 0, 4, bgra.data(), &error));
    EXPECT_FALSE(fs::exists("empty.png"));

    int width = 0, height = 0;
    Bytes rgba;
    EXPECT_FALSE(ReadPngRgba("missing.png", &width, &height, &rgba, &error));
    ASSERT_TRUE(WriteTestFile("not.png", Load(Corpus("tga/1x1_l_bl_raw.tga"))));
    EXPECT_FALSE(ReadPngRgba("not.png", &width, &height, &rgba, &error));
    // A PNG cut inside its image data.
    ASSERT_TRUE(WritePngBgra("whole.png", 4, 4, bgra.data(), &error));
    Bytes whole = Load("whole.png");
    whole.resize(whole.size() / 2);
    ASSERT_TRUE(WriteTestFile("cut.png", whole));
    error.clear();
    EXPECT_FALSE(ReadPngRgba("cut.png", &width, &height, &rgba, &error));
    EXPECT_FALSE(error.empty());
}

TEST(ImageCodec, ReadWholeFile)
{
    ScopedTempDir dir;
    Bytes bytes = {1, 2, 3};
    EXPECT_FALSE(ReadWholeFile("missing.bin", &bytes));
    EXPECT_FALSE(ReadWholeFile(".", &bytes));

    ASSERT_TRUE(WriteTestFile("empty.bin", {}));
    EXPECT_TRUE(ReadWholeFile("empty.bin", &bytes));
    EXPECT_TRUE(bytes.empty());

    // Larger than one read chunk, with every byte value and a zero byte in the middle.
    Bytes content(200000);
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = uint8_t(i * 7 + i / 256);
    ASSERT_TRUE(WriteTestFile("data.bin", content));
    EXPECT_TRUE(ReadWholeFile("data.bin", &bytes));
    EXPECT_EQ(bytes, content);
}

} // namespace
