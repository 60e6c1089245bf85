// The show's own soundtrack through the build's music decoder (libvorbisfile on Linux,
// stb_vorbis on Windows): the rate and length the file declares, sound where the song plays,
// and seeks that land on the samples a decode from the start gives. And a tracker module: played
// on Linux, refused on Windows with the one reason that says why.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "audio/Music.h"
#include "TestFiles.h"
#include "TrackerModule.h"

namespace {

// The file the show's script names on its music line.
std::string SoundtrackPath()
{
    std::ifstream script(DataDir() + "/demoflow.txt");
    std::string line;
    while (std::getline(script, line))
    {
        std::istringstream words(line);
        std::string keyword, file;
        if (words >> keyword >> file && keyword == "music")
            return DataDir() + "/" + file;
    }
    return {};
}

double Rms(const std::vector<int16_t>& pcm)
{
    double sum = 0.0;
    for (int16_t value : pcm)
        sum += static_cast<double>(value) * value;
    return pcm.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(pcm.size()));
}

TEST(SoundtrackFile, DecodesAtItsRateWithSoundAndSeeksToTheSameSamples)
{
    const std::string path = SoundtrackPath();
    ASSERT_FALSE(path.empty()) << "no music line in the show's script";
    std::string error;
    auto whole = OpenMusicFile(path, &error);
    ASSERT_NE(whole, nullptr) << error;
    EXPECT_EQ(whole->SampleRate(), 44100);
    // The song lasts minutes, not seconds.
    EXPECT_GT(whole->LengthSamples(), 60 * 44100);

    // Ten seconds from the start, decoded straight through.
    const size_t frames = 10 * 44100;
    std::vector<int16_t> straight(2 * frames);
    ASSERT_EQ(whole->Read(straight.data(), frames), frames);
    EXPECT_GT(Rms(std::vector<int16_t>(straight.begin() + 2 * 44100, straight.end())), 300.0) << "silent";

    // The same samples after a seek into the middle of them.
    auto sought = OpenMusicFile(path, &error);
    ASSERT_NE(sought, nullptr) << error;
    const int64_t position = 7 * 44100 + 123;
    ASSERT_TRUE(sought->Seek(position));
    std::vector<int16_t> part(2 * 4096);
    ASSERT_EQ(sought->Read(part.data(), 4096), 4096u);
    for (size_t i = 0; i < part.size(); ++i)
        ASSERT_NEAR(part[i], straight[2 * static_cast<size_t>(position) + i], 1) << "value " << i;
}

TEST(SoundtrackFile, TrackerModulesPlayOnLinuxAndAreRefusedWithTheReasonOnWindows)
{
    std::string error;
    auto module = OpenMusicBytes(SquareWaveModule(), "tone.mod", &error);
#ifdef _WIN32
    EXPECT_EQ(module, nullptr);
    EXPECT_NE(error.find("a tracker module; the Windows build plays Ogg Vorbis music only"), std::string::npos)
        << error;
    // Bytes that are no music at all are told apart from a module.
    const std::string text = "not music";
    EXPECT_EQ(OpenMusicBytes(std::vector<uint8_t>(text.begin(), text.end()), "x", &error), nullptr);
    EXPECT_NE(error.find("not Ogg Vorbis and not a tracker module"), std::string::npos) << error;
#else
    ASSERT_NE(module, nullptr) << error;
    EXPECT_EQ(module->SampleRate(), 44100);
#endif
}

} // namespace
