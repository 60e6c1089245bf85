// The demo program as users run it: its command line, exit status, and a headless capture that
// is the same every time and shows something.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ImageCodec.h"
#include "TestFiles.h"

namespace fs = std::filesystem;

namespace {

std::string Demo(const std::string& arguments)
{
    return "'" + DemoBinary() + "' " + arguments;
}

TEST(CommandLine, HelpVersionAndBadOptions)
{
    std::string output;
    EXPECT_EQ(RunCommand(Demo("--help"), &output), 0);
    for (const char* option : {"--data", "--script", "--size", "--fullscreen", "--windowed", "--headless",
                               "--capture", "--fps", "--start", "--frames", "--no-music", "--no-extensions",
                               "--no-dialog", "--version"})
        EXPECT_NE(output.find(option), std::string::npos) << option;

    output.clear();
    EXPECT_EQ(RunCommand(Demo("--version"), &output), 0);
    EXPECT_NE(output.find("Zarnovelt by Quillmarsh party gang"), std::string::npos) << output;

    struct Bad
    {
        const char* arguments;
        const char* message;
    };
    const Bad bad[] = {
        {"--bogus", "unknown option \"--bogus\""},
        {"--size 640", "--size takes WxH"},
        {"--size 0x0", "--size takes WxH"},
        {"--fps 0", "--fps takes a positive rate"},
        {"--fps 30/0", "--fps takes a positive rate"},
        {"--frames -3", "--frames takes a count"},
        {"--start soon", "--start takes a time"},
        {"--data", "--data needs a value"},
        {"--data /nonexistent/zarnovelt", "cannot enter the data directory"},
    };
    for (const Bad& b : bad)
    {
        output.clear();
        EXPECT_EQ(RunCommand(Demo(b.arguments), &output), 1) << b.arguments;
        EXPECT_NE(output.find(b.message), std::string::npos) << b.arguments << ": " << output;
    }
}

TEST(CommandLine, InvalidScriptIsReportedWithFileAndLine)
{
    ScopedTempDir dir;
    WriteTestFile("bad.txt", {'0', ' ', 's', 't', 'a', 'r', 't', ' ', 'C', 'L', 'E', 'A', 'R', ' ', '0', '\n',
                              '5', ' ', 's', 't', 'r', 'a', 't', ' ', 'C', 'L', 'E', 'A', 'R', '\n'});
    std::string output;
    EXPECT_EQ(RunCommand(Demo("--headless --data '" + dir.Path() + "' --script bad.txt --frames 1"), &output), 1);
    EXPECT_NE(output.find("bad.txt:2: unknown command \"strat\""), std::string::npos) << output;

    output.clear();
    EXPECT_EQ(RunCommand(Demo("--headless --data '" + dir.Path() + "' --script missing.txt"), &output), 1);
    EXPECT_NE(output.find("missing.txt"), std::string::npos) << output;
}

// Mean brightness of a PNG frame, 0..255.
double MeanBrightness(const std::string& path)
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
    std::string error;
    if (!ReadPngRgba(path, &width, &height, &rgba, &error))
        return -1.0;
    double sum = 0.0;
    for (size_t i = 0; i < rgba.size(); i += 4)
        sum += (rgba[i] + rgba[i + 1] + rgba[i + 2]) / 3.0;
    return sum / (static_cast<double>(width) * height);
}

TEST(Capture, HeadlessCaptureIsRepeatableAndNotBlack)
{
    ScopedTempDir dir;
    const std::string arguments = "--headless --size 160x120 --fps 30 --start 0:01.5 --frames 12 --capture ";
    std::string output;
    ASSERT_EQ(RunCommand(Demo(arguments + "first"), &output), 0) << output;
    ASSERT_EQ(RunCommand(Demo(arguments + "second"), &output), 0) << output;

    size_t frames = 0;
    double brightest = 0.0;
    for (const auto& entry : fs::directory_iterator("first"))
    {
        const std::string name = entry.path().filename().string();
        ++frames;
        const std::vector<uint8_t> a = ReadTestFile(entry.path().string());
        const std::vector<uint8_t> b = ReadTestFile("second/" + name);
        EXPECT_FALSE(a.empty());
        EXPECT_EQ(a, b) << name << " differs between two captures";
        brightest = std::max(brightest, MeanBrightness(entry.path().string()));
    }
    EXPECT_EQ(frames, 12u);
    EXPECT_TRUE(fs::exists("first/frame_000000.png"));
    EXPECT_TRUE(fs::exists("first/frame_000011.png"));
    EXPECT_GT(brightest, 8.0) << "every captured frame is black";
}

TEST(Capture, UnwritableCaptureFailsWithExitOne)
{
    ScopedTempDir dir;
    WriteTestFile("occupied", {1});
    std::string output;
    EXPECT_EQ(RunCommand(Demo("--headless --size 64x48 --frames 2 --capture '" + dir.Path() + "/occupied/x'"), &output), 1);
    EXPECT_NE(output.find("capture"), std::string::npos) << output;
}

} // namespace
