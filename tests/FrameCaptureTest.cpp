// The capture's path from the framebuffer to the file, as made fast: a read-back with or
// without pixel-buffer objects gives the same frames in the same order; PNG files written
// from GL's bottom-up rows with the capture's compression hold exactly the upright picture; the
// video writer turns the rows upright as it converts them and the video comes out upright; the
// writers hand their frame buffers back for the next frames; and the writers' queue stays small
// for large frames.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <filesystem>
#include <string>
#include <vector>

#include "capture/Capture.h"
#include "capture/FrameReadback.h"
#include "platform/GlFunctions.h"
#include "GlTestContext.h"
#include "codecs/ImageCodec.h"
#include "TestFiles.h"
#include "capture/VideoCapture.h"

namespace {

// A BGRA frame in GL's order (first row = bottom) whose every row has its own colour:
// row y from the top is (y * 3 + seed, 255 - y, x * 5) in RGB.
std::vector<uint8_t> BottomUpFrame(int width, int height, int seed)
{
    std::vector<uint8_t> bgra(static_cast<size_t>(width) * height * 4);
    for (int glRow = 0; glRow < height; ++glRow)
    {
        const int y = height - 1 - glRow;
        for (int x = 0; x < width; ++x)
        {
            uint8_t* pixel = bgra.data() + (static_cast<size_t>(glRow) * width + x) * 4;
            pixel[0] = static_cast<uint8_t>(x * 5);
            pixel[1] = static_cast<uint8_t>(255 - y);
            pixel[2] = static_cast<uint8_t>(y * 3 + seed);
            pixel[3] = 255;
        }
    }
    return bgra;
}

// The same picture upright as RGBA, as a PNG reader gives it.
std::vector<uint8_t> UprightRgba(int width, int height, int seed)
{
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            uint8_t* pixel = rgba.data() + (static_cast<size_t>(y) * width + x) * 4;
            pixel[0] = static_cast<uint8_t>(y * 3 + seed);
            pixel[1] = static_cast<uint8_t>(255 - y);
            pixel[2] = static_cast<uint8_t>(x * 5);
            pixel[3] = 255;
        }
    return rgba;
}

TEST(Capture, PngFromBottomUpRowsIsUprightWithEveryCompression)
{
    ScopedTempDir dir;
    const int width = 37;
    const int height = 23;
    const std::vector<uint8_t> frame = BottomUpFrame(width, height, 9);
    const std::vector<PngCompression> settings = {
        {3, -1, 0}, {1, 3, kPngFilterSub}, {1, 3, kPngFilterUp}, {0, -1, kPngFilterNone}, {9, 1, kPngFilterPaeth},
        {1, -1, kPngFilterNone | kPngFilterSub | kPngFilterUp | kPngFilterAverage | kPngFilterPaeth},
    };
    for (size_t i = 0; i < settings.size(); ++i)
    {
        SCOPED_TRACE("setting " + std::to_string(i));
        std::string error;
        ASSERT_TRUE(WritePngBgraRows("frame.png", width, height, frame.data(), true, settings[i], &error)) << error;
        int readWidth = 0;
        int readHeight = 0;
        std::vector<uint8_t> rgba;
        ASSERT_TRUE(ReadPngRgba("frame.png", &readWidth, &readHeight, &rgba, &error)) << error;
        EXPECT_EQ(readWidth, width);
        EXPECT_EQ(readHeight, height);
        EXPECT_TRUE(rgba == UprightRgba(width, height, 9));
    }
    // Top row first, as WritePngBgra takes it, gives the same file content.
    std::vector<uint8_t> upright(frame.size());
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    for (int y = 0; y < height; ++y)
        std::copy_n(frame.data() + rowBytes * (height - 1 - y), rowBytes, upright.data() + rowBytes * y);
    std::string error;
    ASSERT_TRUE(WritePngBgra("upright.png", width, height, upright.data(), &error));
    ASSERT_TRUE(WritePngBgraRows("bottomup.png", width, height, frame.data(), true, PngCompression{}, &error));
    EXPECT_TRUE(ReadTestFile("upright.png") == ReadTestFile("bottomup.png"));
}

TEST(Capture, DirectorySinkWritesEveryFrameUprightAndHandsItsBuffersBack)
{
    ScopedTempDir dir;
    const int width = 20;
    const int height = 14;
    std::string error;
    std::unique_ptr<FrameSink> sink = CreatePngDirectorySink("frames", width, height, &error);
    ASSERT_TRUE(sink) << error;
    EXPECT_TRUE(sink->SpareBuffer().empty());
    for (int k = 0; k < 6; ++k)
        ASSERT_TRUE(sink->Write(BottomUpFrame(width, height, k * 10)));
    ASSERT_TRUE(sink->Finish(&error)) << error;
    for (int k = 0; k < 6; ++k)
    {
        char name[64];
        std::snprintf(name, sizeof(name), "frames/frame_%06d.png", k);
        int readWidth = 0;
        int readHeight = 0;
        std::vector<uint8_t> rgba;
        ASSERT_TRUE(ReadPngRgba(name, &readWidth, &readHeight, &rgba, &error)) << error;
        EXPECT_TRUE(rgba == UprightRgba(width, height, k * 10)) << name;
    }
    // The written frames' memory comes back for the next frames.
    EXPECT_EQ(sink->SpareBuffer().size(), static_cast<size_t>(width) * height * 4);
}

TEST(Capture, LargeFramesWaitInFewerNumbers)
{
    EXPECT_EQ(FramesToQueue(640, 480, 4), 4u);
    EXPECT_EQ(FramesToQueue(1920, 1080, 4), 3u);
    EXPECT_EQ(FramesToQueue(3840, 2160, 4), 1u);
    EXPECT_EQ(FramesToQueue(16384, 16384, 4), 1u);
    EXPECT_EQ(FramesToQueue(1, 1, 3), 3u);
    EXPECT_EQ(FramesToQueue(0, 0, 0), 1u);
}

TEST(Capture, VideoRowsAreSentLastFirstSoTheVideoIsUpright)
{
    if (FindProgram("ffmpeg").empty())
        GTEST_SKIP() << "ffmpeg is not installed";
    ScopedTempDir dir;
    // More rows than one batch of the writer; four bands from the top: red, green, blue, white.
    const int width = 16;
    const int height = 600;
    const uint8_t bands[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    std::vector<uint8_t> frame(static_cast<size_t>(width) * height * 4);
    for (int glRow = 0; glRow < height; ++glRow)
    {
        const uint8_t* rgb = bands[(height - 1 - glRow) * 4 / height];
        for (int x = 0; x < width; ++x)
        {
            uint8_t* pixel = frame.data() + (static_cast<size_t>(glRow) * width + x) * 4;
            pixel[0] = rgb[2];
            pixel[1] = rgb[1];
            pixel[2] = rgb[0];
            pixel[3] = 255;
        }
    }
    VideoCaptureSettings settings;
    settings.path = dir.Path() + "/bands.mkv";
    settings.width = width;
    settings.height = height;
    settings.fpsNumerator = 10;
    settings.frames = 3;
    std::string error;
    std::unique_ptr<FrameSink> sink = CreateVideoSink(settings, nullptr, &error);
    ASSERT_TRUE(sink) << error;
    for (int k = 0; k < 3; ++k)
        ASSERT_TRUE(sink->Write(std::vector<uint8_t>(frame)));
    ASSERT_TRUE(sink->Finish(&error)) << error;
    EXPECT_EQ(sink->SpareBuffer().size(), frame.size());

    std::string output;
    ASSERT_EQ(RunCommand("ffmpeg -v error -i '" + settings.path + "' -frames:v 1 -f rawvideo -pix_fmt rgb24 'first.rgb'",
                         &output),
              0)
        << output;
    const std::vector<uint8_t> rgb = ReadTestFile("first.rgb");
    ASSERT_EQ(rgb.size(), static_cast<size_t>(width) * height * 3);
    for (int band = 0; band < 4; ++band)
    {
        const int y = band * height / 4 + height / 8;
        const uint8_t* pixel = rgb.data() + (static_cast<size_t>(y) * width + width / 2) * 3;
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(pixel[c], bands[band][c], 12) << "band " << band << " channel " << c;
    }
}

// Frames k = 0..count-1 cleared to their own colour and read back in the given mode.
std::vector<std::vector<uint8_t>> ReadFrames(ReadbackMode mode, int count, bool* usedPixelBuffers)
{
    FrameReadback readback;
    readback.Create(GlTestContext::Width(), GlTestContext::Height(), mode);
    *usedPixelBuffers = readback.UsesPixelBuffers();
    std::vector<std::vector<uint8_t>> frames;
    std::vector<uint8_t> frame;
    for (int k = 0; k < count; ++k)
    {
        glClearColor(static_cast<float>(k) / 10.0f, 0.5f, 1.0f - static_cast<float>(k) / 10.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        if (readback.Read(&frame))
            frames.push_back(frame);
    }
    while (readback.Drain(&frame))
        frames.push_back(frame);
    readback.Destroy();
    return frames;
}

TEST(FrameReadback, PixelBuffersAndDirectReadsGiveTheSameFramesInOrder)
{
    ASSERT_TRUE(GlTestContext::Create(24, 16));
    bool pixelBuffers = false;
    const std::vector<std::vector<uint8_t>> direct = ReadFrames(ReadbackMode::Direct, 7, &pixelBuffers);
    EXPECT_FALSE(pixelBuffers);
    const std::vector<std::vector<uint8_t>> buffered = ReadFrames(ReadbackMode::PixelBuffers, 7, &pixelBuffers);
    EXPECT_TRUE(pixelBuffers);
    ASSERT_EQ(direct.size(), 7u);
    ASSERT_EQ(buffered.size(), 7u);
    for (int k = 0; k < 7; ++k)
    {
        EXPECT_TRUE(direct[k] == buffered[k]) << "frame " << k;
        // BGRA: the red channel is third and follows the frame number.
        EXPECT_NEAR(direct[k][2], k * 255 / 10, 1) << "frame " << k;
    }
}

TEST(FrameReadback, AutomaticReadsDirectlyOnACpuRenderer)
{
    ASSERT_TRUE(GlTestContext::Create(8, 8));
    const std::string renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const bool software = renderer.find("llvmpipe") != std::string::npos ||
                          renderer.find("softpipe") != std::string::npos;
    EXPECT_EQ(FrameReadback::SoftwareRenderer(), software) << renderer;
    bool pixelBuffers = true;
    const std::vector<std::vector<uint8_t>> frames = ReadFrames(ReadbackMode::Automatic, 3, &pixelBuffers);
    EXPECT_EQ(pixelBuffers, !software);
    EXPECT_EQ(frames.size(), 3u);
}

} // namespace
