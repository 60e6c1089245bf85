// The conversion, quality and encoder-thread tables (BenchVideo.h). ffmpeg runs as a child
// process like the demo, so its processor time is measured the same way.
#include "BenchVideo.h"

#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "capture/VideoCapture.h"
#include "capture/Yuv420.h"
#include "codecs/ImageCodec.h"

namespace {

const std::string& Ffmpeg()
{
    static const std::string path = FindProgram("ffmpeg");
    return path;
}

std::string SizeArg(const VideoBenchSettings& s) { return std::to_string(s.width) + "x" + std::to_string(s.height); }

// ffmpeg's input arguments for a file of raw frames.
std::vector<std::string> RawInput(const std::string& path, const char* pixelFormat, const VideoBenchSettings& s)
{
    return {"-f", "rawvideo", "-pix_fmt", pixelFormat, "-video_size", SizeArg(s), "-framerate", "60", "-i", path};
}

ChildResult RunFfmpeg(const std::vector<std::string>& arguments, std::vector<std::string>* failures)
{
    std::vector<std::string> argv = {Ffmpeg(), "-hide_banner", "-nostdin", "-nostats", "-y"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const ChildResult child = RunChild(argv, {});
    if (child.exitStatus != 0)
    {
        failures->push_back("ffmpeg failed: " + child.log);
        std::fprintf(stderr, "bench: FAILED: ffmpeg\n%s\n", child.log.c_str());
    }
    return child;
}

double CpuNowMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The number after `name` on the last line of ffmpeg's log that holds `tag`; -1 when missing.
double Field(const std::string& log, const std::string& tag, const std::string& name)
{
    const size_t line = log.rfind(tag);
    const size_t at = line == std::string::npos ? line : log.find(name, line);
    return at == std::string::npos ? -1.0 : std::atof(log.c_str() + at + name.size());
}

struct Fidelity
{
    double psnrY = -1.0;
    double psnr = -1.0;   // the planes' mean squared errors together
    double ssim = -1.0;
};

// `input` (ffmpeg input arguments) against the 4:2:0 frames in `reference`.
Fidelity Measure(std::vector<std::string> input, const std::string& reference, const VideoBenchSettings& s,
                 std::vector<std::string>* failures)
{
    const std::vector<std::string> second = RawInput(reference, "yuv420p", s);
    input.insert(input.end(), second.begin(), second.end());
    // Frame k against frame k, whatever the two files' time bases.
    input.insert(input.end(), {"-filter_complex",
                               "[0:v]settb=1/60,setpts=N[v];[1:v]settb=1/60,setpts=N,split[r1][r2];"
                               "[v][r1]psnr[m];[m][r2]ssim",
                               "-f", "null", "-"});
    const ChildResult child = RunFfmpeg(input, failures);
    Fidelity fidelity;
    fidelity.psnrY = Field(child.log, "PSNR y:", "y:");
    fidelity.psnr = Field(child.log, "PSNR y:", "average:");
    fidelity.ssim = Field(child.log, "SSIM Y:", "All:");
    return fidelity;
}

// One stretch of the show as the capture sees it, in files: the frames upright as BGRA (what
// ffmpeg's scaler was given before), and converted by the writer's conversion.
struct Stretch
{
    std::string label;
    std::string bgra;
    std::string yuv;
    std::string scaled;          // ffmpeg's scaler's conversion of the BGRA frames
    int64_t frames = 0;
    double convertCpuMs = 0.0;   // the writer's conversion, per frame (median)
};

bool PrepareStretch(const VideoBenchSettings& s, int64_t startMs, const std::string& directory, Stretch* stretch,
                    std::vector<std::string>* failures)
{
    const std::string pngs = directory + "/png";
    const ChildResult child = RunChild({s.binary, "--data", s.data, "--headless", "--no-dialog", "--size", SizeArg(s),
                                        "--start", std::to_string(startMs), "--frames", std::to_string(s.frames),
                                        "--capture", pngs},
                                       {});
    if (child.exitStatus != 0)
    {
        failures->push_back("PNG frames for the video tables: " + child.log);
        return false;
    }
    stretch->bgra = directory + "/frames.bgra";
    stretch->yuv = directory + "/frames.yuv";
    stretch->scaled = directory + "/scaled.yuv";
    std::ofstream bgraFile(stretch->bgra, std::ios::binary);
    std::ofstream yuvFile(stretch->yuv, std::ios::binary);
    std::vector<double> cpu;
    std::vector<uint8_t> yuv(Yuv420FrameBytes(s.width, s.height));
    for (int64_t k = 0; k < s.frames; ++k)
    {
        char name[32];
        std::snprintf(name, sizeof(name), "/frame_%06lld.png", static_cast<long long>(k));
        int width = 0;
        int height = 0;
        std::vector<uint8_t> rgba;
        std::string error;
        if (!ReadPngRgba(pngs + name, &width, &height, &rgba, &error) || width != s.width || height != s.height)
        {
            failures->push_back("PNG frames for the video tables: " + error);
            return false;
        }
        // Upright BGRA for ffmpeg; bottom row first for the conversion, as GL gives it.
        const size_t rowBytes = static_cast<size_t>(width) * 4;
        std::vector<uint8_t> upright(rgba.size());
        std::vector<uint8_t> bottomUp(rgba.size());
        for (size_t i = 0; i < rgba.size(); i += 4)
        {
            upright[i] = rgba[i + 2];
            upright[i + 1] = rgba[i + 1];
            upright[i + 2] = rgba[i];
            upright[i + 3] = 255;
        }
        for (int y = 0; y < height; ++y)
            std::copy_n(upright.begin() + static_cast<ptrdiff_t>(rowBytes * y), rowBytes,
                        bottomUp.begin() + static_cast<ptrdiff_t>(rowBytes * (height - 1 - y)));
        const double start = CpuNowMs();
        ConvertBgraToYuv420(bottomUp.data(), width, height, yuv.data());
        cpu.push_back(CpuNowMs() - start);
        bgraFile.write(reinterpret_cast<const char*>(upright.data()), static_cast<std::streamsize>(upright.size()));
        yuvFile.write(reinterpret_cast<const char*>(yuv.data()), static_cast<std::streamsize>(yuv.size()));
    }
    std::filesystem::remove_all(pngs);
    stretch->frames = s.frames;
    stretch->convertCpuMs = Median(cpu);
    return static_cast<bool>(bgraFile) && static_cast<bool>(yuvFile);
}

} // namespace

void VideoTables(Report& report, const VideoBenchSettings& s, std::vector<std::string>* failures)
{
    if (Ffmpeg().empty())
    {
        failures->push_back("the video tables need ffmpeg");
        return;
    }
    const std::string directory = MakeScratchDirectory("video");
    std::vector<Stretch> stretches;
    for (int64_t startMs : s.startsMs)
    {
        Progress("video tables: frames from " + MinutesSeconds(startMs / 1000));
        Stretch stretch;
        stretch.label = MinutesSeconds(startMs / 1000);
        const std::string own = directory + "/" + std::to_string(startMs);
        std::filesystem::create_directories(own);
        if (PrepareStretch(s, startMs, own, &stretch, failures))
            stretches.push_back(stretch);
    }

    // Where the conversion costs least.
    Table conversion({"conversion", "frames from", "CPU ms a frame", "wall ms a frame", "PSNR Y dB", "PSNR dB", "SSIM"});
    for (const Stretch& stretch : stretches)
    {
        Progress("video tables: conversions of " + stretch.label);
        const double frames = static_cast<double>(stretch.frames);
        const std::vector<std::string> input = RawInput(stretch.bgra, "bgra", s);
        auto run = [&](std::vector<std::string> tail) {
            std::vector<std::string> arguments = input;
            arguments.insert(arguments.end(), tail.begin(), tail.end());
            return RunFfmpeg(arguments, failures);
        };
        // Reading the frames alone, then reading and converting: the difference is the scaler's.
        const ChildResult reading = run({"-f", "null", "-"});
        const ChildResult scaler = run({"-pix_fmt", "yuv420p", "-f", "rawvideo", stretch.scaled});
        const ChildResult threaded = run({"-vf", "scale=threads=2", "-pix_fmt", "yuv420p", "-f", "null", "-"});
        const Fidelity own = Measure(RawInput(stretch.yuv, "yuv420p", s), stretch.scaled, s, failures);
        conversion.Row({"the writer's own, one thread", stretch.label, Fixed(stretch.convertCpuMs, 2),
                        Fixed(stretch.convertCpuMs, 2), Fixed(own.psnrY, 2), Fixed(own.psnr, 2), Fixed(own.ssim, 6)});
        conversion.Row({"ffmpeg's scaler", stretch.label, Fixed((scaler.cpuMs - reading.cpuMs) / frames, 2),
                        Fixed((scaler.wallMs - reading.wallMs) / frames, 2), "(reference)", "", ""});
        conversion.Row({"ffmpeg's scaler, 2 threads", stretch.label, Fixed((threaded.cpuMs - reading.cpuMs) / frames, 2),
                        Fixed((threaded.wallMs - reading.wallMs) / frames, 2), "", "", ""});
    }
    report.Heading("Converting the frames to 4:2:0");
    report.Text(std::to_string(s.frames) + " frames at " + SizeArg(s) +
                " from each stretch. The writer's own conversion: processor time of the call, median per frame. "
                "ffmpeg's scaler: its run converting the frames less its run only reading them (processor time of "
                "the process, and wall time), per frame; with two threads through the scale filter's option. "
                "PSNR and SSIM: the writer's conversion against the scaler's (identical pictures give inf and 1). "
                "Beside these, the writer's frames take 1.5 bytes a pixel down the pipe instead of 4.");
    report.Add(conversion);

    // What each quality costs and gives.
    struct Setting
    {
        std::string label;
        std::vector<std::string> encoder;
        bool scaledInput;   // the old capture's input: ffmpeg's own conversion
    };
    std::vector<Setting> settings = {
        {"before the option", {"-c:v", "libx264", "-preset", "fast", "-crf", "18", "-pix_fmt", "yuv420p"}, true}};
    for (VideoQuality quality : {VideoQuality::Fast, VideoQuality::Good, VideoQuality::Best})
        settings.push_back({VideoQualityName(quality), VideoEncoderArguments("a.mp4", quality), false});
    Table table({"--video-quality", "encoder", "frames from", "encoder CPU ms a frame", "Mbit/s", "PSNR Y dB", "PSNR dB",
                 "SSIM"});
    for (const Setting& setting : settings)
    {
        std::string encoder;
        for (size_t i = 0; i < setting.encoder.size(); ++i)
            if (setting.encoder[i] == "-preset" || setting.encoder[i] == "-crf" || setting.encoder[i] == "-threads")
                encoder += (encoder.empty() ? "" : ", ") + setting.encoder[i].substr(1) + " " + setting.encoder[i + 1];
        for (const Stretch& stretch : stretches)
        {
            Progress("video tables: " + setting.label + ", " + stretch.label);
            const std::string video = directory + "/encoded.mp4";
            std::vector<std::string> arguments = RawInput(setting.scaledInput ? stretch.scaled : stretch.yuv, "yuv420p", s);
            arguments.insert(arguments.end(), setting.encoder.begin(), setting.encoder.end());
            arguments.insert(arguments.end(), {"-fflags", "+bitexact", "-flags:v", "+bitexact", video});
            const ChildResult encoded = RunFfmpeg(arguments, failures);
            std::error_code code;
            const double bytes = static_cast<double>(std::filesystem::file_size(video, code));
            const double seconds = static_cast<double>(stretch.frames) / 60.0;
            const Fidelity fidelity = Measure({"-i", video}, stretch.scaled, s, failures);
            table.Row({setting.label, encoder, stretch.label, Fixed(encoded.cpuMs / static_cast<double>(stretch.frames), 1),
                       code ? "?" : Fixed(bytes * 8.0 / seconds / 1e6, 1), Fixed(fidelity.psnrY, 2),
                       Fixed(fidelity.psnr, 2), Fixed(fidelity.ssim, 5)});
        }
    }
    report.Heading("What each --video-quality costs and gives");
    report.Text("H.264 encodes of the same frames at " + SizeArg(s) + ", 60 frames a second, on their own. Encoder CPU: "
                "processor time of the ffmpeg process (reading the raw frames included), per frame. PSNR and SSIM: "
                "the decoded video against the uncompressed frames as ffmpeg's scaler converts them (the encoder's "
                "input before the option); the qualities encode the writer's own conversion, as the capture does.");
    report.Add(table);
    RemoveTree(directory);
}

void EncoderThreadTable(Report& report, const VideoBenchSettings& s, std::vector<std::string>* failures)
{
    if (Ffmpeg().empty())
        return;
    // A stand-in ffmpeg that sets the encoder's thread count from BENCH_ENCODER_THREADS
    // ("auto" leaves it to the encoder) and runs the real one.
    const std::string directory = MakeScratchDirectory("encoder-threads");
    const std::string wrapper = directory + "/ffmpeg";
    {
        std::ofstream script(wrapper);
        script << "#!/bin/bash\n"
                  "arguments=()\n"
                  "while [ $# -gt 0 ]; do\n"
                  "  if [ \"$1\" = -threads ]; then\n"
                  "    [ \"$BENCH_ENCODER_THREADS\" != auto ] && arguments+=(-threads \"$BENCH_ENCODER_THREADS\")\n"
                  "    shift 2; continue\n"
                  "  fi\n"
                  "  arguments+=(\"$1\"); shift\n"
                  "done\n"
                  "exec '"
               << Ffmpeg() << "' \"${arguments[@]}\"\n";
    }
    chmod(wrapper.c_str(), 0755);
    const char* path = std::getenv("PATH");
    const std::string searchPath = directory + ":" + (path != nullptr ? path : "/usr/bin:/bin");

    const std::vector<std::string> rasterizer = {"2", "3"};
    const std::vector<std::string> encoder = {"1", "2", "3", "auto"};
    std::map<std::pair<std::string, std::string>, std::vector<double>> fps;
    std::map<std::pair<std::string, std::string>, std::vector<double>> cpu;
    const std::string target = directory + "/capture.mp4";
    for (int r = 0; r < s.repetitions; ++r)
        for (const std::string& lp : rasterizer)
            for (const std::string& threads : encoder)
            {
                Progress("threads: LP_NUM_THREADS " + lp + ", encoder " + threads + ", run " + std::to_string(r + 1));
                const ChildResult child =
                    RunChild({s.binary, "--data", s.data, "--headless", "--no-dialog", "--size", SizeArg(s), "--start",
                              std::to_string(s.startsMs.front()), "--frames", std::to_string(s.captureFrames),
                              "--capture", target},
                             {{"LP_NUM_THREADS", lp}, {"BENCH_ENCODER_THREADS", threads}, {"PATH", searchPath}});
                if (child.exitStatus != 0)
                {
                    failures->push_back("capture with LP_NUM_THREADS " + lp + ", encoder threads " + threads + ": " +
                                        child.log);
                    continue;
                }
                fps[{lp, threads}].push_back(static_cast<double>(s.captureFrames) * 1000.0 / child.wallMs);
                cpu[{lp, threads}].push_back(child.cpuMs / static_cast<double>(s.captureFrames));
            }
    RemoveTree(directory);
    Table table({"LP_NUM_THREADS", "encoder threads", "MP4 fps", "CPU ms a frame", "CPU use (cores)"});
    for (const std::string& lp : rasterizer)
        for (const std::string& threads : encoder)
        {
            const double f = Median(fps[{lp, threads}]);
            const double c = Median(cpu[{lp, threads}]);
            table.Row({lp, threads, Fixed(f, 1), Fixed(c, 1), Fixed(f * c / 1000.0, 2)});
        }
    report.Heading("llvmpipe's and the encoder's threads in a capture");
    report.Text(std::to_string(s.captureFrames) + "-frame MP4 captures at " + SizeArg(s) + " from " +
                MinutesSeconds(s.startsMs.front() / 1000) + " (--video-quality good), medians of " +
                std::to_string(s.repetitions) +
                " interleaved runs per pair. \"auto\" is the encoder's own choice (1.5 threads a core). CPU: processor "
                "time of the demo and ffmpeg per frame; CPU use: that over the wall time, in cores.");
    report.Add(table);
}
