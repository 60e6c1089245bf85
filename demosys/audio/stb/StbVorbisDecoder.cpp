// Ogg Vorbis on Windows and in the browser through stb_vorbis, read from bytes in memory. This file holds
// stb_vorbis's implementation; stb_vorbis decodes to float like libvorbis, and ToPcm16 makes the
// 16-bit samples as on Linux (the two decoders' float results may differ in the last bits).
#include "audio/MusicDecoders.h"

#include <algorithm>

#define STB_VORBIS_NO_STDIO
#define STB_VORBIS_NO_PUSHDATA_API
#define STB_VORBIS_NO_INTEGER_CONVERSION
#include <stb_vorbis.h>

namespace {

std::string StbVorbisErrorText(int code)
{
    switch (code)
    {
    case VORBIS_invalid_first_page:
    case VORBIS_invalid_stream:
    case VORBIS_missing_capture_pattern:
        return "not Vorbis audio";
    case VORBIS_invalid_stream_structure_version:
        return "unsupported Vorbis version";
    case VORBIS_invalid_setup:
    case VORBIS_unexpected_eof:
        return "damaged Vorbis header";
    case VORBIS_outofmem:
        return "out of memory";
    default:
        return "damaged Ogg Vorbis data";
    }
}

class StbVorbisDecoder : public MusicDecoder
{
public:
    ~StbVorbisDecoder() override
    {
        if (m_vorbis != nullptr)
            stb_vorbis_close(m_vorbis);
    }

    bool Open(std::vector<uint8_t> bytes, std::string* error)
    {
        m_bytes = std::move(bytes);
        if (m_bytes.size() > 0x7FFFFFFF)
        {
            *error = "cannot decode: the file is too large";
            return false;
        }
        int code = 0;
        m_vorbis = stb_vorbis_open_memory(m_bytes.data(), static_cast<int>(m_bytes.size()), &code, nullptr);
        if (m_vorbis == nullptr)
        {
            *error = "cannot decode: " + StbVorbisErrorText(code);
            return false;
        }
        const stb_vorbis_info info = stb_vorbis_get_info(m_vorbis);
        m_channels = info.channels;
        m_rate = static_cast<int>(info.sample_rate);
        if (m_channels < 1 || m_channels > 2)
        {
            *error = std::to_string(m_channels) + " channels; only mono and stereo music can be played";
            return false;
        }
        if (m_rate < 8000 || m_rate > 192000)
        {
            *error = "unsupported sample rate " + std::to_string(m_rate) + " Hz";
            return false;
        }
        const unsigned int length = stb_vorbis_stream_length_in_samples(m_vorbis);
        m_length = length > 0 ? static_cast<int64_t>(length) : -1;
        return true;
    }

    int SampleRate() const override { return m_rate; }
    int64_t LengthSamples() const override { return m_length; }

    bool Seek(int64_t position) override
    {
        if (m_length >= 0 && position >= m_length)
        {
            m_atEnd = true;
            return true;
        }
        m_atEnd = false;
        return stb_vorbis_seek(m_vorbis, static_cast<unsigned int>(position)) != 0;
    }

    size_t Read(int16_t* stereo, size_t frames) override
    {
        size_t written = 0;
        float buffer[2 * 4096];
        while (written < frames && !m_atEnd)
        {
            const int want = static_cast<int>(std::min<size_t>(frames - written, 4096));
            const int got = stb_vorbis_get_samples_float_interleaved(m_vorbis, m_channels, buffer, want * m_channels);
            if (got <= 0)
            {
                // The end, or damage the decoder cannot get past: the rest is silence.
                m_atEnd = true;
                break;
            }
            for (int i = 0; i < got; ++i)
            {
                const float left = buffer[i * m_channels];
                const float right = m_channels == 2 ? buffer[i * 2 + 1] : left;
                stereo[2 * (written + i)] = ToPcm16(left);
                stereo[2 * (written + i) + 1] = ToPcm16(right);
            }
            written += static_cast<size_t>(got);
        }
        return written;
    }

private:
    std::vector<uint8_t> m_bytes;
    stb_vorbis* m_vorbis = nullptr;
    int m_channels = 0;
    int m_rate = 0;
    int64_t m_length = -1;
    bool m_atEnd = false;
};

} // namespace

std::unique_ptr<MusicDecoder> OpenVorbisMusic(std::vector<uint8_t> bytes, std::string* error)
{
    auto decoder = std::make_unique<StbVorbisDecoder>();
    if (!decoder->Open(std::move(bytes), error))
        return nullptr;
    return decoder;
}
