// Texture decoding ahead on worker threads: the picture handed over is the one the ordinary
// decode gives; everything the ordinary load must handle itself (damaged files, another type,
// a file changed since the scan, a second load) is left to it; and DEMOGL_TextureLoad gives the
// same textures and the same messages with and without the predecoder.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <string>
#include <vector>

#include "DemoGL.h"
#include "GlChecks.h"
#include "codecs/ImageCodec.h"
#include "api/Library.h"
#include "TestFiles.h"
#include "codecs/TexturePredecoder.h"
#include "api/TextureStore.h"

namespace {

Rgb8 Gradient(int x, int y) { return Rgb8{static_cast<uint8_t>(x * 7), static_cast<uint8_t>(y * 5), 90}; }

DecodedImage DecodeFile(const std::string& path, int type)
{
    const std::vector<uint8_t> bytes = ReadTestFile(path);
    DecodedImage image;
    std::string error;
    if (type == kImageTypeJpeg)
        EXPECT_TRUE(DecodeJpeg(bytes.data(), bytes.size(), &image, &error)) << path << ": " << error;
    else
        EXPECT_TRUE(DecodeTga(bytes.data(), bytes.size(), &image, &error)) << path << ": " << error;
    return image;
}

void ExpectSamePicture(const DecodedImage& a, const DecodedImage& b)
{
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.height, b.height);
    EXPECT_EQ(a.channels, b.channels);
    EXPECT_TRUE(a.pixels == b.pixels);
}

// A few pictures of every kind the scan looks for, and some it must pass over.
void WritePictures()
{
    ASSERT_TRUE(WriteTestJpeg("a.jpg", 24, 16, Gradient));
    ASSERT_TRUE(WriteTestTga("sub/b.tga", 8, 12, Gradient));
    ASSERT_TRUE(WriteTestJpeg("sub/deeper/C.JPEG", 16, 16, Solid(200, 10, 10)));
    ASSERT_TRUE(WriteTestFile("notes.txt", {'h', 'i'}));
    std::vector<uint8_t> damaged = ReadTestFile("a.jpg");
    damaged.resize(damaged.size() / 2);
    ASSERT_TRUE(WriteTestFile("damaged.jpg", damaged));
}

TEST(TexturePredecoder, HandsOverTheSamePictureTheOrdinaryDecodeGives)
{
    ScopedTempDir dir;
    WritePictures();
    for (unsigned workers : {0u, 1u, 2u})
    {
        SCOPED_TRACE("workers " + std::to_string(workers));
        TexturePredecoder predecoder;
        predecoder.Start(".", workers);
        EXPECT_EQ(predecoder.QueuedFiles(), 4u);
        DecodedImage image;
        ASSERT_TRUE(predecoder.Take("a.jpg", kImageTypeJpeg, &image));
        ExpectSamePicture(image, DecodeFile("a.jpg", kImageTypeJpeg));
        // Paths are compared as the effects write them, after normalisation.
        ASSERT_TRUE(predecoder.Take("sub/./b.tga", kImageTypeTga, &image));
        ExpectSamePicture(image, DecodeFile("sub/b.tga", kImageTypeTga));
        ASSERT_TRUE(predecoder.Take("sub/deeper/C.JPEG", kImageTypeJpeg, &image));
        ExpectSamePicture(image, DecodeFile("sub/deeper/C.JPEG", kImageTypeJpeg));
        predecoder.Stop();
    }
}

TEST(TexturePredecoder, LeavesToTheOrdinaryLoadWhatItMustDecideItself)
{
    ScopedTempDir dir;
    WritePictures();
    TexturePredecoder predecoder;
    predecoder.Start(".", 1);
    DecodedImage image;
    // Another type than the file's extension: not handed over, and still there for the right type.
    EXPECT_FALSE(predecoder.Take("a.jpg", kImageTypeTga, &image));
    EXPECT_TRUE(predecoder.Take("a.jpg", kImageTypeJpeg, &image));
    // A second load of the same file.
    EXPECT_FALSE(predecoder.Take("a.jpg", kImageTypeJpeg, &image));
    // A damaged file: the ordinary load reports it.
    EXPECT_FALSE(predecoder.Take("damaged.jpg", kImageTypeJpeg, &image));
    // Files it never queued.
    EXPECT_FALSE(predecoder.Take("notes.txt", kImageTypeJpeg, &image));
    EXPECT_FALSE(predecoder.Take("missing.jpg", kImageTypeJpeg, &image));
    EXPECT_TRUE(image.pixels.size() == 24u * 16u * 3u);
    predecoder.Stop();
    // Nothing is handed over after loading.
    EXPECT_FALSE(predecoder.Take("sub/b.tga", kImageTypeTga, &image));
}

TEST(TexturePredecoder, AFileChangedAfterItWasDecodedIsLeftToTheLoad)
{
    ScopedTempDir dir;
    ASSERT_TRUE(WriteTestJpeg("a.jpg", 24, 16, Gradient));
    ASSERT_TRUE(WriteTestJpeg("b.jpg", 8, 8, Gradient));
    TexturePredecoder predecoder;
    predecoder.Start(".", 1);
    predecoder.WaitForWorkers();
    // Replaced after the worker decoded it: the load must read the new file itself.
    ASSERT_TRUE(WriteTestJpeg("a.jpg", 32, 32, Gradient));
    DecodedImage image;
    EXPECT_FALSE(predecoder.Take("a.jpg", kImageTypeJpeg, &image));
    EXPECT_TRUE(predecoder.Take("b.jpg", kImageTypeJpeg, &image));
    EXPECT_EQ(image.width, 8);
}

TEST(TexturePredecoder, TheScanStaysWithinItsDepth)
{
    ScopedTempDir dir;
    ASSERT_TRUE(WriteTestJpeg("1/2/3/4/shallow.jpg", 8, 8, Gradient));
    ASSERT_TRUE(WriteTestJpeg("1/2/3/4/5/6/deep.jpg", 8, 8, Gradient));
    TexturePredecoder predecoder;
    predecoder.Start(".", 1);
    EXPECT_EQ(predecoder.QueuedFiles(), 1u);
    DecodedImage image;
    EXPECT_TRUE(predecoder.Take("1/2/3/4/shallow.jpg", kImageTypeJpeg, &image));
    EXPECT_FALSE(predecoder.Take("1/2/3/4/5/6/deep.jpg", kImageTypeJpeg, &image));
}

// ---------------------------------------------------------------------------------------------
// DEMOGL_TextureLoad with and without the predecoder
// ---------------------------------------------------------------------------------------------

struct LoadRequest
{
    const char* path;
    int type;
};

struct LoadResult
{
    bool loaded = false;
    std::string messages;
    GLint internalFormat = 0;
    std::vector<uint8_t> texels;
};

std::vector<LoadResult> LoadAll(const std::vector<LoadRequest>& requests)
{
    std::vector<LoadResult> results;
    for (const LoadRequest& request : requests)
    {
        LoadResult result;
        testing::internal::CaptureStderr();
        const unsigned id = DEMOGL_TextureLoad(request.path, request.type, 0, GL_REPEAT, GL_REPEAT, GL_LINEAR,
                                               GL_LINEAR, false, false, 0, 0, 2);
        result.messages = testing::internal::GetCapturedStderr();
        result.loaded = id != 0;
        if (id != 0)
        {
            EXPECT_EQ(DEMOGL_TextureUpload(id), 0);
            result.internalFormat = ReadTexture(id).internalFormat;
            result.texels = ReadTexels(id, GL_RGBA);
        }
        results.push_back(result);
    }
    return results;
}

TEST(TexturePredecoder, LoadsGiveTheSameTexturesAndMessagesAsWithout)
{
    ASSERT_TRUE(GlTestContext::Create(16, 16));
    ScopedTempDir dir;
    WritePictures();
    const std::vector<LoadRequest> requests = {
        {"a.jpg", kImageTypeJpeg},           {"sub/b.tga", kImageTypeTga},   {"sub/deeper/C.JPEG", kImageTypeJpeg},
        {"damaged.jpg", kImageTypeJpeg},     {"a.jpg", kImageTypeTga},       {"missing.jpg", kImageTypeJpeg},
        {"sub/b.tga", 2},                    {"a.jpg", kImageTypeJpeg},      {"notes.txt", kImageTypeJpeg},
    };
    const std::vector<LoadResult> without = LoadAll(requests);
    Library().textures.ReleaseAll();

    TexturePredecoder predecoder;
    predecoder.Start(".", 2);
    Library().textures.SetPredecoder(&predecoder);
    const std::vector<LoadResult> with = LoadAll(requests);
    Library().textures.SetPredecoder(nullptr);
    predecoder.Stop();
    Library().textures.ReleaseAll();

    ASSERT_EQ(with.size(), without.size());
    int loaded = 0;
    int failed = 0;
    for (size_t i = 0; i < requests.size(); ++i)
    {
        SCOPED_TRACE(std::string(requests[i].path) + " as type " + std::to_string(requests[i].type));
        EXPECT_EQ(with[i].loaded, without[i].loaded);
        EXPECT_EQ(with[i].messages, without[i].messages);
        EXPECT_EQ(with[i].internalFormat, without[i].internalFormat);
        EXPECT_TRUE(with[i].texels == without[i].texels);
        loaded += without[i].loaded ? 1 : 0;
        failed += without[i].messages.empty() ? 0 : 1;
    }
    // The list covers both outcomes: four loads that work, five that fail with a message.
    EXPECT_EQ(loaded, 4);
    EXPECT_EQ(failed, 5);
}

} // namespace
