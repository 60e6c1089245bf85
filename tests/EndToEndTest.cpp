// The demo program as users run it: its command line, exit status, and a headless capture that
// is the same every time and shows something.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>

#include "codecs/ImageCodec.h"
#include "TestFiles.h"

namespace fs = std::filesystem;

namespace {

std::string Demo(const std::string& arguments)
{
    return "'" + DemoBinary() + "' " + arguments;
}

TEST(Main, HelpVersionAndBadOptions)
{
    std::string output;
    EXPECT_EQ(RunCommand(Demo("--help"), &output), 0);
    for (const char* option : {"--data", "--script", "--size", "--fullscreen", "--windowed", "--headless",
                               "--capture", "--capture-every", "--video-quality", "--fps", "--start", "--frames", "--no-music", "--no-extensions",
                               "--no-dialog", "--strict-clamp", "--version"})
        EXPECT_NE(output.find(option), std::string::npos) << option;

    output.clear();
    EXPECT_EQ(RunCommand(Demo("--version"), &output), 0);
    EXPECT_NE(output.find("Zarnovelt by Quillmarsh party gang"), std::string::npos) << output;
    // The build's own version, the one the packages carry.
    EXPECT_TRUE(std::regex_search(output, std::regex("\nzarnovelt [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << output;

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
        {"--capture x.mp4 --video-quality great", "--video-quality takes fast, good or best"},
        {"--capture frames --video-quality best", "--video-quality is for a video capture"},
        {"--capture frames --capture-every 0", "--capture-every takes a count"},
        {"--capture x.mp4 --capture-every 60", "--capture-every is for a capture into a directory"},
        {"--capture-every 60", "--capture-every is for a capture into a directory"},
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

TEST(Main, InvalidScriptIsReportedWithFileAndLine)
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

// Captures the same frames twice; every file must be identical. Returns the frame names.
std::vector<std::string> CaptureTwiceAndCompare(const std::string& arguments)
{
    std::string output;
    EXPECT_EQ(RunCommand(Demo(arguments + " --capture first"), &output), 0) << output;
    EXPECT_EQ(RunCommand(Demo(arguments + " --capture second"), &output), 0) << output;
    std::vector<std::string> names;
    if (!fs::is_directory("first"))
        return names;
    for (const auto& entry : fs::directory_iterator("first"))
    {
        const std::string name = entry.path().filename().string();
        names.push_back(name);
        const std::vector<uint8_t> a = ReadTestFile(entry.path().string());
        EXPECT_FALSE(a.empty());
        EXPECT_EQ(a, ReadTestFile("second/" + name)) << name << " differs between two captures";
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Capture, HeadlessCaptureIsRepeatableAndFollowsTheScript)
{
    ScopedTempDir dir;
    // CLEAR fades up one level per frame: frame k clears to grey k / 100.
    const std::string script = "0 start CLEAR 0\n0 int CLEAR METHOD 2\n1000 end\n";
    ASSERT_TRUE(WriteTestFile("show.txt", std::vector<uint8_t>(script.begin(), script.end())));
    const std::vector<std::string> names =
        CaptureTwiceAndCompare("--headless --data '" + dir.Path() + "' --script show.txt --size 64x48 --fps 30");
    ASSERT_EQ(names.size(), 30u);
    EXPECT_EQ(names.front(), "frame_000000.png");
    EXPECT_EQ(names.back(), "frame_000029.png");
    EXPECT_NEAR(MeanBrightness("first/frame_000000.png"), 0.0, 0.5);
    EXPECT_NEAR(MeanBrightness("first/frame_000029.png"), 0.29 * 255.0, 1.5);

    // Every tenth frame, under its own number, from a show that still ran every frame.
    std::string output;
    ASSERT_EQ(RunCommand(Demo("--headless --data '" + dir.Path() +
                              "' --script show.txt --size 64x48 --fps 30 --capture-every 10 --capture sparse"),
                         &output),
              0)
        << output;
    std::vector<std::string> sparse;
    for (const auto& entry : fs::directory_iterator("sparse"))
        sparse.push_back(entry.path().filename().string());
    std::sort(sparse.begin(), sparse.end());
    EXPECT_EQ(sparse, (std::vector<std::string>{"frame_000000.png", "frame_000010.png", "frame_000020.png"}));
    for (const char* name : {"frame_000010.png", "frame_000020.png"})
        EXPECT_EQ(ReadTestFile(std::string("sparse/") + name), ReadTestFile(std::string("first/") + name)) << name;
}

TEST(Capture, TheGeneratedShowIsRepeatableAndMostlyNotBlack)
{
    ScopedTempDir dir;
    // A frame every four seconds through the whole show, at a small size.
    const std::vector<std::string> names =
        CaptureTwiceAndCompare("--headless --data '" + DataDir() + "' --size 160x120 --fps 1/4");
    ASSERT_GE(names.size(), 30u) << "a show of at least two minutes";
    size_t lit = 0;
    for (const std::string& name : names)
        if (MeanBrightness("first/" + name) > 3.0)
            ++lit;
    EXPECT_GE(lit * 4, names.size() * 3) << lit << " of " << names.size() << " frames show something";
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
