// The music as the show hears it: the decoder chosen by the file's bytes (the decoders
// themselves are the platform's, audio/MusicDecoders.h), the volume, the silence after the end,
// and the sample arithmetic of captures.
#include "audio/Music.h"

#include <algorithm>
#include <cstring>

#include "audio/MusicDecoders.h"
#include "support/WholeFile.h"

std::unique_ptr<MusicDecoder> OpenMusicBytes(std::vector<uint8_t> bytes, const std::string& name, std::string* error)
{
    (void)name;
    if (bytes.empty())
    {
        *error = "the file is empty";
        return nullptr;
    }
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "OggS", 4) == 0)
        return OpenVorbisMusic(std::move(bytes), error);
    return OpenModuleMusic(bytes, error);
}

std::unique_ptr<MusicDecoder> OpenMusicFile(const std::string& path, std::string* error)
{
    std::vector<uint8_t> bytes;
    const WholeFileResult read = ReadWholeFile(path, &bytes);
    if (!read.ok)
    {
        *error = "cannot read (" + read.Reason(kMaxDataFileBytes) + ")";
        return nullptr;
    }
    return OpenMusicBytes(std::move(bytes), path, error);
}

// ---------------------------------------------------------------------------------------------
// MusicStream
// ---------------------------------------------------------------------------------------------

MusicStream::MusicStream(std::unique_ptr<MusicDecoder> decoder, int volumePercent)
    : m_decoder(std::move(decoder)), m_volume(std::clamp(volumePercent, 0, 100)),
      m_rate(m_decoder ? m_decoder->SampleRate() : kModuleSampleRate)
{
    m_musicOver = !m_decoder;
}

void MusicStream::Seek(int64_t position)
{
    m_position = std::max<int64_t>(0, position);
    if (!m_decoder)
        return;
    const int64_t length = m_decoder->LengthSamples();
    m_musicOver = length >= 0 && m_position >= length;
    if (!m_musicOver && !m_decoder->Seek(m_position))
        m_musicOver = true;
}

void MusicStream::Render(int16_t* stereo, size_t frames)
{
    size_t written = 0;
    if (!m_musicOver)
    {
        written = m_decoder->Read(stereo, frames);
        if (written < frames)
            m_musicOver = true;
        if (m_volume != 100)
            for (size_t i = 0; i < 2 * written; ++i)
                stereo[i] = static_cast<int16_t>(static_cast<int32_t>(stereo[i]) * m_volume / 100);
    }
    std::fill(stereo + 2 * written, stereo + 2 * frames, int16_t{0});
    m_position += static_cast<int64_t>(frames);
}

int64_t SamplesForFrames(int64_t frames, int rate, int fpsNumerator, int fpsDenominator)
{
    // round(frames * a / n) with halves up, a = rate * fpsDenominator, n = fpsNumerator, in
    // 64 bits for any show: with frames = q * n + r (0 <= r < n) it is q * a plus the rounded
    // share of the rest, floor((2 r a + n) / 2n). The rate (at most 192 kHz) and the rate's
    // parts (at most a million) keep 2 r a far inside the range.
    const int64_t a = static_cast<int64_t>(rate) * fpsDenominator;
    const int64_t n = fpsNumerator;
    int64_t q = frames / n;
    int64_t r = frames % n;
    if (r < 0)
    {
        --q;
        r += n;
    }
    return q * a + (2 * r * a + n) / (2 * n);
}

int64_t SampleAtTime(int64_t timeMs, int rate)
{
    return SamplesForFrames(timeMs, rate, 1000, 1);
}
