// The soundtrack: a music file decoded to 16-bit stereo PCM. Ogg Vorbis plays at the file's own
// rate; tracker modules (MOD, XM, S3M, IT) are rendered at 44.1 kHz. The same decoder feeds the
// sound device in a window and the soundtrack of a video capture, so both hear the same samples.
//
// Positions and lengths are counted in sample frames (one left + right pair) at SampleRate().
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

constexpr int kModuleSampleRate = 44100;

// Rate and channel layout of everything the library plays or captures: interleaved signed
// 16-bit stereo (left, right).
constexpr int kMusicChannels = 2;

class MusicDecoder
{
public:
    virtual ~MusicDecoder() = default;

    // Samples per second of the decoded PCM.
    virtual int SampleRate() const = 0;

    // Length in sample frames; -1 when the format cannot tell.
    virtual int64_t LengthSamples() const = 0;

    // Moves to sample frame `position` (0 = the start). False when the decoder cannot seek.
    virtual bool Seek(int64_t position) = 0;

    // Decodes up to `frames` sample frames into `stereo` (2 * frames values). Returns the number
    // written; fewer than asked only at the end of the music (0 once it is over).
    virtual size_t Read(int16_t* stereo, size_t frames) = 0;
};

// Opens a music file held in memory. The format is told by its bytes: "OggS" is Ogg Vorbis,
// anything else is tried as a tracker module. `name` is used in messages only. Returns null with
// a one-line reason (without the name) when the bytes are not music we can play.
std::unique_ptr<MusicDecoder> OpenMusicBytes(std::vector<uint8_t> bytes, const std::string& name,
                                             std::string* error);

// Reads the file and opens it as above. The reason names neither the file nor the script line;
// the caller adds them.
std::unique_ptr<MusicDecoder> OpenMusicFile(const std::string& path, std::string* error);

// The music as the show hears it: the decoder at a volume, followed by silence for as long as
// anyone asks, so a clock that counts samples keeps running past the music's end. Without a
// decoder it is silence at 44.1 kHz.
class MusicStream
{
public:
    // volumePercent is clamped to 0..100.
    MusicStream(std::unique_ptr<MusicDecoder> decoder, int volumePercent);

    int SampleRate() const { return m_rate; }
    int64_t Position() const { return m_position; }

    // Moves to sample frame `position`; past the music's end only silence follows.
    void Seek(int64_t position);

    // Fills exactly `frames` sample frames: music at the volume, then silence.
    void Render(int16_t* stereo, size_t frames);

private:
    std::unique_ptr<MusicDecoder> m_decoder;
    int m_volume;
    int m_rate;
    int64_t m_position = 0;
    bool m_musicOver = false;
};

// Sample frames that cover `frames` video frames at fpsNumerator / fpsDenominator frames per
// second: round(frames * rate * fpsDenominator / fpsNumerator), halves rounded up. Summing the
// per-frame differences of this function never drifts from the exact length by more than half a
// sample, however long the show.
int64_t SamplesForFrames(int64_t frames, int rate, int fpsNumerator, int fpsDenominator);

// The sample frame at demo time `timeMs`: round(timeMs * rate / 1000).
int64_t SampleAtTime(int64_t timeMs, int rate);
