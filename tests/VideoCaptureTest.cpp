// Capture to video, as users run it: the demo program with --capture NAME.mp4/.mkv/.webm. The
// frame count and the soundtrack's length are exact at every --video-quality (checked with
// ffprobe and by decoding the lossless soundtrack), the soundtrack is the script's music from
// the start time, a capture is the same bytes every time, each quality gives the encoders its
// own settings, and a missing or failing ffmpeg is one message and exit status 1. A stand-in
// ffmpeg counts what arrives on its two pipes, for rates no real encode needs to test.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>

#include "TestFiles.h"
#include "TrackerModule.h"
#include "api/Options.h"
#include "audio/Music.h"
#include "capture/VideoCapture.h"
#include "capture/Yuv420.h"

namespace fs = std::filesystem;

namespace {

// The music tone.mod, CLEAR fading up to white, the end at 10 s.
void WriteShow(const ScopedTempDir& dir)
{
    WriteTestFile("tone.mod", SquareWaveModule());
    const std::string script = "music " + dir.Path() + "/tone.mod\n"
                               "0 start CLEAR 0\n"
                               "0 int CLEAR METHOD 2\n"
                               "0:10 end\n";
    WriteTestFile("show.txt", std::vector<uint8_t>(script.begin(), script.end()));
}

std::string Demo(const ScopedTempDir& dir, const std::string& arguments)
{
    return "'" + DemoBinary() + "' --data '" + DataDir() + "' --script '" + dir.Path() + "/show.txt' --headless " +
           arguments;
}

std::string Probe(const std::string& entries, const std::string& stream, const std::string& file)
{
    std::string output;
    RunCommand("ffprobe -v error -count_frames -select_streams " + stream + " -show_entries stream=" + entries +
                   " -of csv=p=0 '" + file + "'",
               &output);
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.pop_back();
    return output;
}

bool HaveFfmpeg() { return !FindProgram("ffmpeg").empty() && !FindProgram("ffprobe").empty(); }

// A stand-in for ffmpeg: counts the bytes of the video (descriptor 0) and of the soundtrack
// (descriptor 3) into <output>.video and <output>.audio.
void WriteCountingFfmpeg(const std::string& directory)
{
    const std::string script = "#!/bin/sh\n"
                               "for last; do :; done\n"
                               "wc -c <&3 > \"$last.audio\" &\n"
                               "wc -c > \"$last.video\"\n"
                               "wait\n";
    const std::string path = directory + "/ffmpeg";
    WriteTestFile(path, std::vector<uint8_t>(script.begin(), script.end()));
    chmod(path.c_str(), 0755);
}

int64_t CountIn(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadTestFile(path);
    return bytes.empty() ? -1 : std::stoll(std::string(bytes.begin(), bytes.end()));
}

TEST(VideoCapture, Mp4OfNinetyFramesAtThirtyHasNinetyFramesAndThreeSecondsOfSound)
{
    if (!HaveFfmpeg())
        GTEST_SKIP() << "ffmpeg is not installed";
    ScopedTempDir dir;
    WriteShow(dir);
    std::string output;
    ASSERT_EQ(RunCommand(Demo(dir, "--size 64x48 --fps 30 --frames 90 --capture first.mp4"), &output), 0) << output;
    ASSERT_EQ(RunCommand(Demo(dir, "--size 64x48 --fps 30 --frames 90 --capture second.mp4"), &output), 0) << output;
    EXPECT_NE(output.find("frame 90/90"), std::string::npos) << "no progress line: " << output;

    EXPECT_EQ(ReadTestFile("first.mp4"), ReadTestFile("second.mp4")) << "two captures of the same show differ";

    // Every quality: the same frames and the same soundtrack, in a different file.
    for (const char* quality : {"fast", "best"})
    {
        const std::string name = std::string(quality) + ".mp4";
        ASSERT_EQ(RunCommand(Demo(dir, "--size 64x48 --fps 30 --frames 90 --video-quality " + std::string(quality) +
                                           " --capture " + name),
                             &output),
                  0)
            << output;
        EXPECT_NE(ReadTestFile(name), ReadTestFile("first.mp4")) << quality;
    }
    for (const char* file : {"first.mp4", "fast.mp4", "best.mp4"})
    {
        EXPECT_EQ(Probe("codec_name,nb_read_frames", "v:0", file), "h264,90") << file;
        EXPECT_EQ(Probe("codec_name,sample_rate,channels", "a:0", file), "aac,44100,2") << file;
        const std::string duration = Probe("duration", "a:0", file);
        EXPECT_NEAR(std::atof(duration.c_str()), 3.0, 0.0005) << file << ": " << duration;
    }
}

TEST(VideoCapture, MkvSoundtrackIsTheMusicFromTheStartTimeSampleForSample)
{
    if (!HaveFfmpeg())
        GTEST_SKIP() << "ffmpeg is not installed";
    ScopedTempDir dir;
    WriteShow(dir);
    std::string output;
    ASSERT_EQ(RunCommand(Demo(dir, "--size 64x48 --fps 30 --start 0:01.5 --frames 45 --capture show.mkv"), &output), 0)
        << output;
    EXPECT_EQ(Probe("codec_name,nb_read_frames", "v:0", "show.mkv"), "h264,45");
    EXPECT_EQ(Probe("codec_name", "a:0", "show.mkv"), "flac");
    ASSERT_EQ(RunCommand("ffmpeg -v error -i show.mkv -map 0:a -f s16le -y sound.raw", &output), 0) << output;

    // The shell's start-up record asks for 90 % volume.
    std::string error;
    MusicStream music(OpenMusicBytes(SquareWaveModule(), "tone.mod", &error), 90);
    music.Seek(SampleAtTime(1500, music.SampleRate()));
    const int64_t samples = SamplesForFrames(45, music.SampleRate(), 30, 1);
    ASSERT_EQ(samples, 66150);
    std::vector<int16_t> expected(2 * static_cast<size_t>(samples));
    music.Render(expected.data(), static_cast<size_t>(samples));
    const std::vector<uint8_t> raw = ReadTestFile("sound.raw");
    ASSERT_EQ(raw.size(), expected.size() * sizeof(int16_t)) << "the soundtrack is not 1.5 s long";
    std::vector<int16_t> heard(expected.size());
    std::memcpy(heard.data(), raw.data(), raw.size());
    EXPECT_EQ(heard, expected);
}

TEST(VideoCapture, WebmIsVp9AndOpus)
{
    if (!HaveFfmpeg())
        GTEST_SKIP() << "ffmpeg is not installed";
    ScopedTempDir dir;
    WriteShow(dir);
    std::string output;
    ASSERT_EQ(RunCommand(Demo(dir, "--size 64x48 --fps 30 --frames 30 --no-music --capture show.webm"), &output), 0)
        << output;
    EXPECT_EQ(Probe("codec_name,nb_read_frames", "v:0", "show.webm"), "vp9,30");
    EXPECT_EQ(Probe("codec_name", "a:0", "show.webm"), "opus");
}

TEST(VideoCapture, SoundtrackLengthIsExactAtFractionalRates)
{
    ScopedTempDir dir;
    WriteShow(dir);
    fs::create_directories("bin");
    WriteCountingFfmpeg(dir.Path() + "/bin");
    const std::string path = "PATH='" + dir.Path() + "/bin':\"$PATH\" ";
    std::string output;
    // 599 frames at 60000/1001: 599 * 44100 * 1001 / 60000 = 440705.265 samples, rounded down.
    ASSERT_EQ(RunCommand(path + Demo(dir, "--size 16x16 --fps 60000/1001 --frames 599 --capture ntsc.mp4"), &output), 0)
        << output;
    // The frames arrive as 4:2:0, 1.5 bytes a pixel.
    const int64_t frameBytes = static_cast<int64_t>(Yuv420FrameBytes(16, 16));
    EXPECT_EQ(frameBytes, 16 * 16 * 3 / 2);
    EXPECT_EQ(CountIn("ntsc.mp4.video"), 599 * frameBytes);
    EXPECT_EQ(CountIn("ntsc.mp4.audio"), 440705 * 4);

    // Without music the soundtrack is silence of the same length; a start time changes nothing.
    ASSERT_EQ(RunCommand(path + Demo(dir, "--size 16x16 --fps 24000/1001 --start 2000 --frames 77 --no-music "
                                          "--capture quiet.mkv"),
                         &output),
              0)
        << output;
    EXPECT_EQ(CountIn("quiet.mkv.video"), 77 * frameBytes);
    EXPECT_EQ(CountIn("quiet.mkv.audio"), SamplesForFrames(77, 44100, 24000, 1001) * 4);

    // Without --frames the capture runs to the script's end: 10 s from 9.5 s at 30 fps.
    ASSERT_EQ(RunCommand(path + Demo(dir, "--size 16x16 --fps 30 --start 0:09.5 --capture tail.webm"), &output), 0)
        << output;
    EXPECT_EQ(CountIn("tail.webm.video"), 15 * frameBytes);
    EXPECT_EQ(CountIn("tail.webm.audio"), 22050 * 4);
}

TEST(VideoCapture, MissingOrFailingFfmpegIsOneMessageAndExitOne)
{
    ScopedTempDir dir;
    WriteShow(dir);
    fs::create_directories("empty");
    std::string output;
    EXPECT_EQ(RunCommand("PATH='" + dir.Path() + "/empty' " + Demo(dir, "--size 32x32 --frames 5 --capture x.mp4"),
                         &output),
              1);
    EXPECT_NE(output.find("ffmpeg not found: install ffmpeg"), std::string::npos) << output;
    EXPECT_FALSE(fs::exists("x.mp4"));

    // An ffmpeg that gives up at once: the demo notices instead of hanging or dying of SIGPIPE.
    fs::create_directories("broken");
    const std::string script = "#!/bin/sh\necho 'encoder exploded' >&2\nexit 3\n";
    WriteTestFile("broken/ffmpeg", std::vector<uint8_t>(script.begin(), script.end()));
    chmod("broken/ffmpeg", 0755);
    output.clear();
    EXPECT_EQ(RunCommand("PATH='" + dir.Path() + "/broken':\"$PATH\" " +
                             Demo(dir, "--size 64x48 --frames 60 --capture y.mp4"),
                         &output),
              1);
    EXPECT_NE(output.find("ffmpeg could not write"), std::string::npos) << output;
    EXPECT_NE(output.find("exit status 3"), std::string::npos) << output;

    output.clear();
    EXPECT_EQ(RunCommand(Demo(dir, "--size 32x32 --frames 5 --capture '" + dir.Path() + "/no/such/dir/z.mp4'"), &output),
              1);
    EXPECT_NE(output.find("does not exist"), std::string::npos) << output;
}

TEST(VideoCapture, EncoderSettingsFollowTheFileExtension)
{
    VideoCaptureSettings settings;
    settings.width = 65;
    settings.height = 48;
    settings.fpsNumerator = 60000;
    settings.fpsDenominator = 1001;
    auto joined = [&](const std::string& path) {
        settings.path = path;
        std::string text;
        for (const std::string& argument : FfmpegArguments(settings, 48000))
            text += argument + " ";
        return text;
    };
    const std::string mp4 = joined("a.MP4");
    EXPECT_NE(mp4.find("-c:v libx264"), std::string::npos) << mp4;
    EXPECT_NE(mp4.find("-c:a aac"), std::string::npos) << mp4;
    EXPECT_NE(mp4.find("-framerate 60000/1001"), std::string::npos) << mp4;
    EXPECT_NE(mp4.find("-ar 48000 -ac 2 -i pipe:3"), std::string::npos) << mp4;
    // The writer sends 4:2:0, an odd width padded by one column; ffmpeg converts nothing.
    EXPECT_NE(mp4.find("-f rawvideo -pix_fmt yuv420p -video_size 66x48 "), std::string::npos) << mp4;
    EXPECT_EQ(mp4.find("-vf"), std::string::npos) << mp4;
    const std::string mkv = joined("b.mkv");
    EXPECT_NE(mkv.find("-c:a flac"), std::string::npos) << mkv;
    const std::string webm = joined("c.webm");
    EXPECT_NE(webm.find("-c:v libvpx-vp9"), std::string::npos) << webm;
    EXPECT_NE(webm.find("-c:a libopus"), std::string::npos) << webm;
    for (const std::string* text : {&mp4, &mkv, &webm})
    {
        EXPECT_NE(text->find("+bitexact"), std::string::npos) << *text;
        // The encoder's output depends on its thread count, so the count is fixed.
        EXPECT_NE(text->find("-threads " + std::to_string(kVideoEncoderThreads) + " "), std::string::npos) << *text;
    }
}

TEST(VideoCapture, EachQualityGivesTheEncodersItsOwnSettings)
{
    struct Expected
    {
        VideoQuality quality;
        const char* h264;
        const char* vp9;
    };
    const Expected table[] = {
        {VideoQuality::Fast, "-c:v libx264 -preset ultrafast -crf 18 ",
         "-c:v libvpx-vp9 -crf 31 -b:v 0 -deadline realtime -cpu-used 8 "},
        {VideoQuality::Good, "-c:v libx264 -preset veryfast -crf 15 ",
         "-c:v libvpx-vp9 -crf 31 -b:v 0 -deadline good -cpu-used 4 "},
        {VideoQuality::Best, "-c:v libx264 -preset slow -crf 14 ", "-c:v libvpx-vp9 -crf 28 -b:v 0 -deadline good -cpu-used 2 "},
    };
    auto joined = [](const std::vector<std::string>& arguments) {
        std::string text;
        for (const std::string& argument : arguments)
            text += argument + " ";
        return text;
    };
    VideoCaptureSettings settings;
    settings.width = 640;
    settings.height = 480;
    EXPECT_EQ(settings.quality, VideoQuality::Good) << "the default";
    for (const Expected& e : table)
    {
        settings.quality = e.quality;
        for (const char* path : {"a.mp4", "b.mkv"})
        {
            settings.path = path;
            const std::string text = joined(FfmpegArguments(settings, 44100));
            EXPECT_NE(text.find(e.h264), std::string::npos) << VideoQualityName(e.quality) << ": " << text;
            EXPECT_NE(text.find(joined(VideoEncoderArguments(path, e.quality))), std::string::npos) << text;
        }
        settings.path = "c.webm";
        const std::string text = joined(FfmpegArguments(settings, 44100));
        EXPECT_NE(text.find(e.vp9), std::string::npos) << VideoQualityName(e.quality) << ": " << text;
    }
}

TEST(VideoCapture, QualityOptionNamesAndErrors)
{
    auto parse = [](std::vector<std::string> arguments, Options* options, std::string* error) {
        arguments.insert(arguments.begin(), "zarnovelt");
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        return ParseOptions(static_cast<int>(argv.size()), argv.data(), options, error);
    };
    for (const VideoQuality quality : {VideoQuality::Fast, VideoQuality::Good, VideoQuality::Best})
    {
        Options options;
        std::string error;
        ASSERT_TRUE(parse({"--capture", "show.webm", "--video-quality", VideoQualityName(quality)}, &options, &error))
            << error;
        EXPECT_EQ(options.videoQuality, quality) << VideoQualityName(quality);
    }
    Options defaults;
    std::string error;
    ASSERT_TRUE(parse({"--capture", "show.mp4"}, &defaults, &error)) << error;
    EXPECT_EQ(defaults.videoQuality, VideoQuality::Good);

    struct Bad
    {
        std::vector<std::string> arguments;
        const char* message;
    };
    const Bad bad[] = {
        {{"--capture", "show.mp4", "--video-quality", "Best"}, "--video-quality takes fast, good or best (got \"Best\")"},
        {{"--capture", "show.mp4", "--video-quality", ""}, "--video-quality takes fast, good or best"},
        {{"--capture", "show.mp4", "--video-quality"}, "--video-quality needs a value"},
        {{"--video-quality", "best"}, "--video-quality is for a video capture"},
        {{"--capture", "frames", "--video-quality", "fast"}, "--video-quality is for a video capture"},
    };
    for (const Bad& b : bad)
    {
        Options options;
        error.clear();
        EXPECT_FALSE(parse(b.arguments, &options, &error)) << b.message;
        EXPECT_NE(error.find(b.message), std::string::npos) << error;
    }
}

} // namespace
