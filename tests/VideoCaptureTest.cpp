// Capture to video, as users run it: the demo program with --capture NAME.mp4/.mkv/.webm. The
// frame count and the soundtrack's length are exact (checked with ffprobe and by decoding the
// lossless soundtrack), the soundtrack is the script's music from the start time, a capture is
// the same bytes every time, and a missing or failing ffmpeg is one message and exit status 1.
// A stand-in ffmpeg counts what arrives on its two pipes, for rates no real encode needs to test.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>

#include "audio/Music.h"
#include "TestFiles.h"
#include "TrackerModule.h"
#include "capture/VideoCapture.h"

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

    EXPECT_EQ(Probe("codec_name,nb_read_frames", "v:0", "first.mp4"), "h264,90");
    EXPECT_EQ(Probe("codec_name,sample_rate,channels", "a:0", "first.mp4"), "aac,44100,2");
    const std::string duration = Probe("duration", "a:0", "first.mp4");
    EXPECT_NEAR(std::atof(duration.c_str()), 3.0, 0.0005) << duration;
    EXPECT_EQ(ReadTestFile("first.mp4"), ReadTestFile("second.mp4")) << "two captures of the same show differ";
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
    EXPECT_EQ(CountIn("ntsc.mp4.video"), 599 * 16 * 16 * 4);
    EXPECT_EQ(CountIn("ntsc.mp4.audio"), 440705 * 4);

    // Without music the soundtrack is silence of the same length; a start time changes nothing.
    ASSERT_EQ(RunCommand(path + Demo(dir, "--size 16x16 --fps 24000/1001 --start 2000 --frames 77 --no-music "
                                          "--capture quiet.mkv"),
                         &output),
              0)
        << output;
    EXPECT_EQ(CountIn("quiet.mkv.video"), 77 * 16 * 16 * 4);
    EXPECT_EQ(CountIn("quiet.mkv.audio"), SamplesForFrames(77, 44100, 24000, 1001) * 4);

    // Without --frames the capture runs to the script's end: 10 s from 9.5 s at 30 fps.
    ASSERT_EQ(RunCommand(path + Demo(dir, "--size 16x16 --fps 30 --start 0:09.5 --capture tail.webm"), &output), 0)
        << output;
    EXPECT_EQ(CountIn("tail.webm.video"), 15 * 16 * 16 * 4);
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
    EXPECT_NE(mp4.find("-video_size 65x48"), std::string::npos) << mp4;
    EXPECT_NE(mp4.find("-ar 48000 -ac 2 -i pipe:3"), std::string::npos) << mp4;
    // An odd width cannot be 4:2:0; it is padded by one column.
    EXPECT_NE(mp4.find("pad="), std::string::npos) << mp4;
    const std::string mkv = joined("b.mkv");
    EXPECT_NE(mkv.find("-c:a flac"), std::string::npos) << mkv;
    const std::string webm = joined("c.webm");
    EXPECT_NE(webm.find("-c:v libvpx-vp9"), std::string::npos) << webm;
    EXPECT_NE(webm.find("-c:a libopus"), std::string::npos) << webm;
    for (const std::string* text : {&mp4, &mkv, &webm})
        EXPECT_NE(text->find("+bitexact"), std::string::npos) << *text;
}

} // namespace
