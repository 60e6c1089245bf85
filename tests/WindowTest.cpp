// The demo in a real SDL2 window on a virtual X display (xvfb-run): it runs a short show and
// screenshots of the X screen (ffmpeg's x11grab, every quarter second) are not black, with the
// start-up dialog skipped and with the dialog shown and its Start pressed by
// ZARNOVELT_DIALOG_AUTOSTART.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "codecs/ImageCodec.h"
#include "TestFiles.h"
#include "capture/VideoCapture.h"

namespace fs = std::filesystem;

namespace {

constexpr int kScreenWidth = 320;
constexpr int kScreenHeight = 240;

// Mean brightness of a PNG, 0..255; -1 when it cannot be read.
double MeanBrightness(const std::string& path)
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
    std::string error;
    if (!ReadPngRgba(path, &width, &height, &rgba, &error) || width == 0 || height == 0)
        return -1.0;
    double sum = 0.0;
    for (size_t i = 0; i < rgba.size(); i += 4)
        sum += (rgba[i] + rgba[i + 1] + rgba[i + 2]) / 3.0;
    return sum / (static_cast<double>(width) * height);
}

struct WindowRun
{
    int status = -1;        // the demo's exit status
    std::string log;        // its standard output and error
    double brightest = -1;  // the brightest screenshot's mean
    int screenshots = 0;
};

// A three-second show that stays bright at any frame rate: CLEAR's fade down from white
// (a hundredth darker each frame) starts again every 25 ms.
std::string BrightShow()
{
    std::string show = "0 start CLEAR 0\n";
    for (int time = 0; time < 3000; time += 25)
        show += std::to_string(time) + " int CLEAR METHOD 3\n";
    return show + "0:03 end\n";
}

// Runs the demo in a window filling a virtual screen and screenshots the screen until the demo
// ends.
WindowRun RunInWindow(const ScopedTempDir& dir, const std::string& environment, const std::string& arguments)
{
    const std::string show = BrightShow();
    WriteTestFile("bright.txt", std::vector<uint8_t>(show.begin(), show.end()));
    const std::string size = std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight);
    const std::string script =
        "#!/bin/sh\n"
        "SDL_AUDIODRIVER=dummy " + environment + " '" + DemoBinary() + "' --data '" + DataDir() + "' --script '" +
        dir.Path() + "/bright.txt' --size " + size + " " + arguments + " > demo.log 2>&1 &\n"
        "pid=$!\n"
        "i=0\n"
        "while [ $i -lt 60 ] && kill -0 $pid 2>/dev/null; do\n"
        "  sleep 0.25\n"
        "  ffmpeg -v quiet -f x11grab -video_size " + size + " -i \"$DISPLAY\" -frames:v 1 -y shot_$i.png\n"
        "  i=$((i + 1))\n"
        "done\n"
        "wait $pid\n"
        "echo $? > demo.status\n";
    WriteTestFile("run.sh", std::vector<uint8_t>(script.begin(), script.end()));
    // xvfb-run -a can pick the same display as another test starting at the same moment, so
    // each attempt takes a display number of its own and a failed start is tried again.
    std::string output;
    for (int attempt = 0; attempt < 4 && !fs::exists("demo.status"); ++attempt)
    {
        const int display = 100 + static_cast<int>((getpid() * 7 + attempt * 131) % 800);
        output.clear();
        RunCommand("xvfb-run -n " + std::to_string(display) + " -s '-screen 0 " + size + "x24' sh run.sh", &output);
    }

    WindowRun run;
    const std::vector<uint8_t> status = ReadTestFile("demo.status");
    if (!status.empty())
        run.status = std::stoi(std::string(status.begin(), status.end()));
    const std::vector<uint8_t> log = ReadTestFile("demo.log");
    run.log = output + std::string(log.begin(), log.end());
    for (const auto& entry : fs::directory_iterator("."))
    {
        const std::string name = entry.path().filename().string();
        if (name.rfind("shot_", 0) != 0)
            continue;
        ++run.screenshots;
        run.brightest = std::max(run.brightest, MeanBrightness(entry.path().string()));
    }
    return run;
}

bool HaveVirtualDisplay() { return !FindProgram("xvfb-run").empty() && !FindProgram("ffmpeg").empty(); }

TEST(Window, ShowRunsInARealWindowAndTheScreenIsNotBlack)
{
    if (!HaveVirtualDisplay())
        GTEST_SKIP() << "xvfb-run or ffmpeg is not installed";
    ScopedTempDir dir;
    const WindowRun run = RunInWindow(dir, "", "--no-dialog");
    EXPECT_EQ(run.status, 0) << run.log;
    EXPECT_EQ(run.log.find("no window"), std::string::npos) << "fell back to headless: " << run.log;
    ASSERT_GT(run.screenshots, 0) << run.log;
    EXPECT_GT(run.brightest, 100.0) << "every screenshot of the window is dark; " << run.log;
}

TEST(Window, StartupDialogStartsTheShowInTheSameWindow)
{
    if (!HaveVirtualDisplay())
        GTEST_SKIP() << "xvfb-run or ffmpeg is not installed";
    ScopedTempDir dir;
    const WindowRun run = RunInWindow(dir, "ZARNOVELT_DIALOG_AUTOSTART=20", "");
    EXPECT_EQ(run.status, 0) << run.log;
    EXPECT_NE(run.log.find("Start-up dialog: Start pressed"), std::string::npos) << run.log;
    ASSERT_GT(run.screenshots, 0) << run.log;
    EXPECT_GT(run.brightest, 100.0) << "every screenshot of the window is dark; " << run.log;
}

} // namespace
