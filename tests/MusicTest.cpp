// Music: Ogg Vorbis tones written here with libvorbisenc and a MOD written byte by byte decode
// to the expected rate, length and sound; bad files are refused with a reason; the stream adds
// the volume and silence after the end; and the sound device, run on SDL's test drivers, plays
// exactly the decoded samples while its clock follows the samples it takes.
#include <gtest/gtest.h>
#include <vorbis/vorbisenc.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/sdl/SdlAudioDevice.h"
#include "audio/Music.h"
#include "TestFiles.h"
#include "TrackerModule.h"

namespace {

// Encodes planar float channels (each -1..1) at `rate` into an Ogg Vorbis file.
std::vector<uint8_t> EncodeVorbis(const std::vector<std::vector<float>>& channels, int rate)
{
    std::vector<uint8_t> out;
    auto appendPage = [&](const ogg_page& page) {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    };
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, static_cast<long>(channels.size()), rate, 0.6f) != 0)
        return {};
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1234);
    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0)
        appendPage(page);

    auto drain = [&] {
        ogg_packet packet;
        while (vorbis_analysis_blockout(&dsp, &block) == 1)
        {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0)
            {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0)
                    appendPage(page);
            }
        }
    };
    const size_t frames = channels[0].size();
    for (size_t done = 0; done < frames;)
    {
        const int chunk = static_cast<int>(std::min<size_t>(1024, frames - done));
        float** buffer = vorbis_analysis_buffer(&dsp, chunk);
        for (size_t c = 0; c < channels.size(); ++c)
            for (int i = 0; i < chunk; ++i)
                buffer[c][i] = channels[c][done + i];
        vorbis_analysis_wrote(&dsp, chunk);
        drain();
        done += static_cast<size_t>(chunk);
    }
    vorbis_analysis_wrote(&dsp, 0);
    drain();
    while (ogg_stream_flush(&stream, &page) != 0)
        appendPage(page);
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

std::vector<float> Sine(double frequency, double amplitude, int rate, size_t frames)
{
    std::vector<float> samples(frames);
    for (size_t i = 0; i < frames; ++i)
        samples[i] = static_cast<float>(amplitude * std::sin(2.0 * M_PI * frequency * static_cast<double>(i) / rate));
    return samples;
}

// One second of 440 Hz at half scale on the left, a quiet 1 kHz on the right.
std::vector<uint8_t> ToneOgg(int rate = 44100, size_t frames = 44100)
{
    return EncodeVorbis({Sine(440.0, 0.5, rate, frames), Sine(1000.0, 0.05, rate, frames)}, rate);
}

std::vector<int16_t> DecodeAll(MusicDecoder& decoder)
{
    std::vector<int16_t> pcm;
    std::vector<int16_t> buffer(2 * 1000);
    for (size_t got = 0; (got = decoder.Read(buffer.data(), 1000)) > 0;)
        pcm.insert(pcm.end(), buffer.begin(), buffer.begin() + static_cast<long>(2 * got));
    return pcm;
}

struct ChannelStats
{
    int signChanges = 0;
    double rms = 0.0;
};

ChannelStats Stats(const std::vector<int16_t>& pcm, int channel)
{
    ChannelStats stats;
    double sum = 0.0;
    const size_t frames = pcm.size() / 2;
    for (size_t i = 0; i < frames; ++i)
    {
        const int value = pcm[2 * i + channel];
        sum += static_cast<double>(value) * value;
        if (i > 0 && ((value >= 0) != (pcm[2 * (i - 1) + channel] >= 0)))
            ++stats.signChanges;
    }
    stats.rms = frames > 0 ? std::sqrt(sum / static_cast<double>(frames)) : 0.0;
    return stats;
}

std::unique_ptr<MusicDecoder> Open(std::vector<uint8_t> bytes)
{
    std::string error;
    auto decoder = OpenMusicBytes(std::move(bytes), "test", &error);
    EXPECT_NE(decoder, nullptr) << error;
    return decoder;
}

// ---------------------------------------------------------------------------------------------
// Decoding
// ---------------------------------------------------------------------------------------------

TEST(Music, VorbisToneDecodesAtItsRateAndLengthAndSoundsLikeTheTone)
{
    auto decoder = Open(ToneOgg());
    ASSERT_NE(decoder, nullptr);
    EXPECT_EQ(decoder->SampleRate(), 44100);
    EXPECT_EQ(decoder->LengthSamples(), 44100);
    const std::vector<int16_t> pcm = DecodeAll(*decoder);
    ASSERT_EQ(pcm.size(), 2u * 44100);
    // 440 Hz crosses zero 880 times a second; half scale is an RMS of 0.5 / sqrt(2) * 32767.
    const ChannelStats left = Stats(pcm, 0);
    const ChannelStats right = Stats(pcm, 1);
    EXPECT_NEAR(left.signChanges, 880, 8);
    EXPECT_NEAR(left.rms, 0.5 / std::sqrt(2.0) * 32767.0, 600.0);
    EXPECT_NEAR(right.signChanges, 2000, 20);
    EXPECT_NEAR(right.rms, 0.05 / std::sqrt(2.0) * 32767.0, 120.0);
    EXPECT_EQ(decoder->Read(const_cast<int16_t*>(pcm.data()), 10), 0u) << "reads past the end";
}

TEST(Music, VorbisMonoPlaysOnBothChannelsAndOtherRatesKeepTheirRate)
{
    auto mono = Open(EncodeVorbis({Sine(300.0, 0.4, 22050, 11025)}, 22050));
    ASSERT_NE(mono, nullptr);
    EXPECT_EQ(mono->SampleRate(), 22050);
    EXPECT_EQ(mono->LengthSamples(), 11025);
    const std::vector<int16_t> pcm = DecodeAll(*mono);
    ASSERT_EQ(pcm.size(), 2u * 11025);
    for (size_t i = 0; i < pcm.size(); i += 2)
        ASSERT_EQ(pcm[i], pcm[i + 1]) << "frame " << i / 2;
    EXPECT_NEAR(Stats(pcm, 0).signChanges, 300, 6);

    auto wide = Open(ToneOgg(48000, 24000));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->SampleRate(), 48000);
    EXPECT_EQ(wide->LengthSamples(), 24000);
}

TEST(Music, VorbisSeekLandsOnTheSameSamplesAsDecodingFromTheStart)
{
    auto whole = Open(ToneOgg());
    auto sought = Open(ToneOgg());
    ASSERT_TRUE(whole && sought);
    const std::vector<int16_t> all = DecodeAll(*whole);
    ASSERT_TRUE(sought->Seek(20000));
    std::vector<int16_t> part(2 * 1000);
    ASSERT_EQ(sought->Read(part.data(), 1000), 1000u);
    for (size_t i = 0; i < part.size(); ++i)
        ASSERT_NEAR(part[i], all[2 * 20000 + i], 1) << "value " << i;
}

TEST(Music, ModWrittenByteByByteDecodesAndRepeatsExactly)
{
    auto first = Open(SquareWaveModule());
    auto second = Open(SquareWaveModule());
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->SampleRate(), 44100);
    // One 64-row pattern at speed 6, tempo 125: 7.68 s.
    EXPECT_NEAR(static_cast<double>(first->LengthSamples()), 7.68 * 44100, 441.0);
    std::vector<int16_t> a(2 * 22050);
    std::vector<int16_t> b(2 * 22050);
    ASSERT_EQ(first->Read(a.data(), 22050), 22050u);
    ASSERT_EQ(second->Read(b.data(), 22050), 22050u);
    EXPECT_EQ(a, b) << "module rendering is not repeatable";
    EXPECT_GT(Stats(a, 0).rms, 500.0) << "the note is silent";
}

TEST(Music, BadFilesAreRefusedWithAReason)
{
    std::vector<uint8_t> noise(3000);
    uint32_t x = 1;
    for (uint8_t& byte : noise)
    {
        x = x * 214013u + 2531011u;
        byte = static_cast<uint8_t>(x >> 16);
    }
    const std::vector<uint8_t> ogg = ToneOgg();
    std::vector<uint8_t> oggMagicThenNoise = {'O', 'g', 'g', 'S'};
    oggMagicThenNoise.insert(oggMagicThenNoise.end(), noise.begin(), noise.end());
    const std::string text = "music soundtrack.ogg\n0 start CLEAR 0\n";
    std::vector<uint8_t> modHeaderOnly = SquareWaveModule();
    modHeaderOnly.resize(200);

    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"empty", {}, "empty"},
        {"Ogg magic then noise", oggMagicThenNoise, "cannot decode"},
        {"Ogg headers cut short", std::vector<uint8_t>(ogg.begin(), ogg.begin() + 60), "cannot decode"},
        {"noise", noise, "cannot decode"},
        {"a text file", std::vector<uint8_t>(text.begin(), text.end()), "cannot decode"},
        {"a module cut inside its header", modHeaderOnly, "cannot decode"},
        {"five channels", EncodeVorbis(std::vector<std::vector<float>>(5, Sine(440, 0.3, 44100, 4410)), 44100),
         "5 channels"},
    };
    for (const Case& c : cases)
    {
        std::string error;
        EXPECT_EQ(OpenMusicBytes(c.bytes, "x", &error), nullptr) << c.name;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
    }

    std::string error;
    ScopedTempDir dir;
    EXPECT_EQ(OpenMusicFile("missing.ogg", &error), nullptr);
    EXPECT_EQ(error, "cannot read (No such file or directory)");
}

TEST(Music, TruncatedOggPlaysWhatIsThereAndEnds)
{
    // Five seconds, cut in half: the headers and a couple of seconds of sound remain.
    std::vector<uint8_t> ogg = ToneOgg(44100, 5 * 44100);
    ogg.resize(ogg.size() / 2);
    std::string error;
    auto decoder = OpenMusicBytes(ogg, "half.ogg", &error);
    if (!decoder)
    {
        EXPECT_FALSE(error.empty());
        return;
    }
    const std::vector<int16_t> pcm = DecodeAll(*decoder);
    EXPECT_GT(pcm.size(), 2u * 44100);
    EXPECT_LT(pcm.size(), 2u * 4 * 44100);
    EXPECT_LE(static_cast<int64_t>(pcm.size() / 2), decoder->LengthSamples());
}

TEST(Music, DamagedFilesEitherDecodeOrAreRefusedWithAReason)
{
    // Bytes of a good Ogg and a good MOD changed at random places (the same places every run):
    // each either opens and decodes, seeks included, or is refused with a reason.
    const std::vector<uint8_t> originals[] = {ToneOgg(22050, 22050), SquareWaveModule()};
    uint32_t x = 7;
    auto next = [&] {
        x = x * 1664525u + 1013904223u;
        return x >> 8;
    };
    std::vector<int16_t> buffer(2 * 4096);
    for (const std::vector<uint8_t>& original : originals)
        for (int round = 0; round < 60; ++round)
        {
            std::vector<uint8_t> bytes = original;
            const int changes = 1 + static_cast<int>(next() % 8);
            for (int i = 0; i < changes; ++i)
                bytes[next() % bytes.size()] = static_cast<uint8_t>(next());
            std::string error;
            auto decoder = OpenMusicBytes(bytes, "damaged", &error);
            if (!decoder)
            {
                EXPECT_FALSE(error.empty()) << "round " << round;
                continue;
            }
            // At most ten seconds of it; Read never hands back more than asked.
            size_t total = 0;
            for (size_t got = 0; total < 10u * 44100 && (got = decoder->Read(buffer.data(), 4096)) > 0;)
            {
                ASSERT_LE(got, 4096u);
                total += got;
            }
            decoder->Seek(1000);
            decoder->Read(buffer.data(), 100);
        }
}

// ---------------------------------------------------------------------------------------------
// The stream the device and a capture hear
// ---------------------------------------------------------------------------------------------

TEST(Music, StreamAppliesTheVolumeThenSilenceForAsLongAsAsked)
{
    auto reference = Open(ToneOgg());
    ASSERT_NE(reference, nullptr);
    const std::vector<int16_t> full = DecodeAll(*reference);

    MusicStream stream(Open(ToneOgg()), 50);
    EXPECT_EQ(stream.SampleRate(), 44100);
    std::vector<int16_t> out(2 * 50000, 1234);
    stream.Render(out.data(), 50000);
    EXPECT_EQ(stream.Position(), 50000);
    for (size_t i = 0; i < full.size(); ++i)
        ASSERT_EQ(out[i], static_cast<int16_t>(full[i] * 50 / 100)) << "value " << i;
    for (size_t i = full.size(); i < out.size(); ++i)
        ASSERT_EQ(out[i], 0) << "value " << i;

    // A seek back into the music plays it again; past the end only silence follows.
    stream.Seek(1000);
    std::vector<int16_t> again(2 * 10);
    stream.Render(again.data(), 10);
    EXPECT_EQ(again[0], static_cast<int16_t>(full[2000] * 50 / 100));
    stream.Seek(90000);
    stream.Render(again.data(), 10);
    EXPECT_EQ(again, std::vector<int16_t>(20, 0));
    EXPECT_EQ(stream.Position(), 90010);

    // The volume is clamped to 0..100 %; no music is silence at 44.1 kHz.
    MusicStream loud(Open(ToneOgg()), 250);
    loud.Render(out.data(), 100);
    EXPECT_EQ(out[0], full[0]);
    EXPECT_EQ(out[101], full[101]);
    MusicStream none(nullptr, 90);
    EXPECT_EQ(none.SampleRate(), 44100);
    none.Render(out.data(), 100);
    EXPECT_EQ(std::vector<int16_t>(out.begin(), out.begin() + 200), std::vector<int16_t>(200, 0));
}

// ---------------------------------------------------------------------------------------------
// The sound device, on SDL's test drivers
// ---------------------------------------------------------------------------------------------

TEST(AudioDevice, ClockIsMonotonicFollowsTheSamplesTakenAndStopsWhenPaused)
{
    ScopedEnvironment driver("SDL_AUDIODRIVER", "dummy");
    std::string error;
    std::unique_ptr<AudioDevice> opened = OpenSdlAudioDevice(std::make_unique<MusicStream>(Open(ToneOgg()), 100), &error);
    ASSERT_TRUE(opened) << error;
    AudioDevice& device = *opened;
    EXPECT_EQ(device.SampleRate(), 44100);
    EXPECT_EQ(device.Position(), 0);
    device.SetPaused(false);

    // Read the clock until a quarter second has played (or give up after ten seconds).
    int64_t last = 0;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (last < 11025 && std::chrono::steady_clock::now() < giveUp)
    {
        const int64_t position = device.Position();
        ASSERT_GE(position, last) << "the clock went backwards";
        ASSERT_LE(position, device.Consumed()) << "the clock ran ahead of the samples taken";
        last = position;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_GE(last, 11025) << "the clock did not follow the device";

    device.SetPaused(true);
    const int64_t held = device.Position();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(device.Position(), held);

    // A seek moves the clock to exactly the sample asked for.
    device.Seek(30000);
    EXPECT_EQ(device.Position(), 30000);
}

TEST(AudioDevice, PlaysExactlyTheDecodedSamplesAtTheVolume)
{
    ScopedTempDir dir;
    const std::string output = dir.Path() + "/played.raw";
    ScopedEnvironment driver("SDL_AUDIODRIVER", "disk");
    ScopedEnvironment file("SDL_DISKAUDIOFILE", output.c_str());
    std::string error;
    std::unique_ptr<AudioDevice> device = OpenSdlAudioDevice(std::make_unique<MusicStream>(Open(ToneOgg()), 90), &error);
    ASSERT_TRUE(device) << error;
    device->SetPaused(false);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (device->Consumed() < 8192 && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    // Closing the device writes out what it took.
    device.reset();

    const std::vector<uint8_t> played = ReadTestFile(output);
    ASSERT_GE(played.size(), 8192u * 4);
    // The driver writes silence for as long as the device is still paused after opening; the
    // tone itself starts with a sound, so the music begins at the first frame that is not silent.
    std::vector<int16_t> heard(played.size() / 4 * 2);
    std::memcpy(heard.data(), played.data(), heard.size() * sizeof(int16_t));
    size_t start = 0;
    while (start + 1 < heard.size() && heard[start] == 0 && heard[start + 1] == 0)
        start += 2;
    heard.erase(heard.begin(), heard.begin() + static_cast<std::ptrdiff_t>(start));
    ASSERT_GE(heard.size(), 4096u * 2) << "too little of the music was played";
    MusicStream reference(Open(ToneOgg()), 90);
    std::vector<int16_t> expected(heard.size());
    reference.Render(expected.data(), heard.size() / 2);
    ASSERT_NE(expected[0] | expected[1], 0) << "the tone must start with a sound for this check";
    EXPECT_EQ(heard, expected);
}

} // namespace
