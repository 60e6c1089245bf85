// Music decoders: Ogg Vorbis through libvorbisfile, tracker modules through libopenmpt, both read
// from bytes in memory. Both decode to float and share one conversion to 16 bits, so the PCM is
// the same on every run (no dithering, no random source).
#include "audio/Music.h"

#include "support/WholeFile.h"

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <libopenmpt/libopenmpt.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

int16_t ToPcm16(float value)
{
    const float scaled = std::floor(value * 32767.0f + 0.5f);
    if (scaled >= 32767.0f)
        return 32767;
    if (scaled <= -32768.0f)
        return -32768;
    return static_cast<int16_t>(scaled);
}

// ---------------------------------------------------------------------------------------------
// Ogg Vorbis
// ---------------------------------------------------------------------------------------------

// The bytes libvorbisfile reads through its callbacks.
struct MemoryFile
{
    std::vector<uint8_t> bytes;
    size_t offset = 0;
};

size_t MemoryRead(void* destination, size_t size, size_t count, void* source)
{
    MemoryFile& file = *static_cast<MemoryFile*>(source);
    if (size == 0)
        return 0;
    const size_t available = (file.bytes.size() - file.offset) / size;
    const size_t taken = std::min(count, available);
    std::memcpy(destination, file.bytes.data() + file.offset, taken * size);
    file.offset += taken * size;
    return taken;
}

int MemorySeek(void* source, ogg_int64_t offset, int whence)
{
    MemoryFile& file = *static_cast<MemoryFile*>(source);
    int64_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<int64_t>(file.offset);
    else if (whence == SEEK_END)
        base = static_cast<int64_t>(file.bytes.size());
    else if (whence != SEEK_SET)
        return -1;
    const int64_t target = base + offset;
    if (target < 0 || target > static_cast<int64_t>(file.bytes.size()))
        return -1;
    file.offset = static_cast<size_t>(target);
    return 0;
}

long MemoryTell(void* source) { return static_cast<long>(static_cast<MemoryFile*>(source)->offset); }

const char* VorbisErrorText(int code)
{
    switch (code)
    {
    case OV_ENOTVORBIS: return "not Vorbis audio";
    case OV_EVERSION: return "unsupported Vorbis version";
    case OV_EBADHEADER: return "damaged Vorbis header";
    case OV_EREAD: return "read error";
    case OV_EFAULT: return "decoder fault";
    default: return "damaged Ogg Vorbis data";
    }
}

class VorbisDecoder : public MusicDecoder
{
public:
    ~VorbisDecoder() override
    {
        if (m_open)
            ov_clear(&m_file);
    }

    bool Open(std::vector<uint8_t> bytes, std::string* error)
    {
        m_memory.bytes = std::move(bytes);
        ov_callbacks callbacks{MemoryRead, MemorySeek, nullptr, MemoryTell};
        const int status = ov_open_callbacks(&m_memory, &m_file, nullptr, 0, callbacks);
        if (status != 0)
        {
            *error = std::string("cannot decode: ") + VorbisErrorText(status);
            return false;
        }
        m_open = true;
        // Every link of a chained file must play at the first link's rate in one or two channels.
        const long links = ov_streams(&m_file);
        for (long link = 0; link < links; ++link)
        {
            const vorbis_info* info = ov_info(&m_file, static_cast<int>(link));
            if (info == nullptr)
            {
                *error = "cannot decode: damaged Vorbis header";
                return false;
            }
            if (link == 0)
                m_rate = static_cast<int>(info->rate);
            if (info->channels < 1 || info->channels > 2)
            {
                *error = std::to_string(info->channels) + " channels; only mono and stereo music can be played";
                return false;
            }
            if (info->rate != m_rate)
            {
                *error = "the chained streams change the sample rate";
                return false;
            }
        }
        if (m_rate < 8000 || m_rate > 192000)
        {
            *error = "unsupported sample rate " + std::to_string(m_rate) + " Hz";
            return false;
        }
        m_length = ov_pcm_total(&m_file, -1);
        return true;
    }

    int SampleRate() const override { return m_rate; }
    int64_t LengthSamples() const override { return m_length >= 0 ? m_length : -1; }

    bool Seek(int64_t position) override
    {
        if (m_length >= 0 && position >= m_length)
        {
            m_atEnd = true;
            return true;
        }
        m_atEnd = false;
        return ov_pcm_seek(&m_file, position) == 0;
    }

    size_t Read(int16_t* stereo, size_t frames) override
    {
        size_t written = 0;
        while (written < frames && !m_atEnd)
        {
            float** channels = nullptr;
            int link = 0;
            const int want = static_cast<int>(std::min<size_t>(frames - written, 4096));
            const long got = ov_read_float(&m_file, &channels, want, &link);
            if (got == OV_HOLE)
                continue;   // a gap in the data: decoding goes on after it
            if (got <= 0)
            {
                // The end, or damage the decoder cannot get past: the rest is silence.
                m_atEnd = true;
                break;
            }
            const vorbis_info* info = ov_info(&m_file, link);
            const bool mono = info != nullptr && info->channels == 1;
            for (long i = 0; i < got; ++i)
            {
                stereo[2 * (written + i)] = ToPcm16(channels[0][i]);
                stereo[2 * (written + i) + 1] = ToPcm16(mono ? channels[0][i] : channels[1][i]);
            }
            written += static_cast<size_t>(got);
        }
        return written;
    }

private:
    MemoryFile m_memory;
    OggVorbis_File m_file{};
    bool m_open = false;
    bool m_atEnd = false;
    int m_rate = 0;
    int64_t m_length = -1;
};

// ---------------------------------------------------------------------------------------------
// Tracker modules
// ---------------------------------------------------------------------------------------------

class ModuleDecoder : public MusicDecoder
{
public:
    ~ModuleDecoder() override
    {
        if (m_module != nullptr)
            openmpt_module_destroy(m_module);
    }

    bool Open(const std::vector<uint8_t>& bytes, std::string* error)
    {
        int code = 0;
        const char* message = nullptr;
        m_module = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr,
                                                      openmpt_error_func_store, nullptr, &code, &message,
                                                      nullptr);
        if (m_module == nullptr)
        {
            *error = "cannot decode: not Ogg Vorbis and not a tracker module";
            if (message != nullptr)
                openmpt_free_string(message);
            return false;
        }
        if (message != nullptr)
            openmpt_free_string(message);
        // The module plays once; what follows is silence.
        openmpt_module_set_repeat_count(m_module, 0);
        const char* type = openmpt_module_get_metadata(m_module, "type");
        const std::string typeName = type != nullptr ? type : "";
        if (type != nullptr)
            openmpt_free_string(type);
        static const char* const kTypes[] = {"mod", "xm", "s3m", "it"};
        if (std::find_if(std::begin(kTypes), std::end(kTypes), [&](const char* t) { return typeName == t; }) ==
            std::end(kTypes))
        {
            *error = "cannot decode: a \"" + typeName + "\" module; MOD, XM, S3M and IT modules are played";
            return false;
        }
        const double seconds = openmpt_module_get_duration_seconds(m_module);
        m_length = seconds > 0.0 ? static_cast<int64_t>(std::llround(seconds * kModuleSampleRate)) : 0;
        return true;
    }

    int SampleRate() const override { return kModuleSampleRate; }
    int64_t LengthSamples() const override { return m_length; }

    bool Seek(int64_t position) override
    {
        openmpt_module_set_position_seconds(m_module, static_cast<double>(position) / kModuleSampleRate);
        return true;
    }

    size_t Read(int16_t* stereo, size_t frames) override
    {
        size_t written = 0;
        float buffer[2 * 1024];
        while (written < frames)
        {
            const size_t want = std::min<size_t>(frames - written, 1024);
            const size_t got = openmpt_module_read_interleaved_float_stereo(m_module, kModuleSampleRate, want, buffer);
            if (got == 0)
                break;
            for (size_t i = 0; i < 2 * got; ++i)
                stereo[2 * written + i] = ToPcm16(buffer[i]);
            written += got;
        }
        return written;
    }

private:
    openmpt_module* m_module = nullptr;
    int64_t m_length = 0;
};

} // namespace

std::unique_ptr<MusicDecoder> OpenMusicBytes(std::vector<uint8_t> bytes, const std::string& name, std::string* error)
{
    (void)name;
    if (bytes.empty())
    {
        *error = "the file is empty";
        return nullptr;
    }
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "OggS", 4) == 0)
    {
        auto decoder = std::make_unique<VorbisDecoder>();
        if (!decoder->Open(std::move(bytes), error))
            return nullptr;
        return decoder;
    }
    auto decoder = std::make_unique<ModuleDecoder>();
    if (!decoder->Open(bytes, error))
        return nullptr;
    return decoder;
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
    // round(x / n) with halves up is floor((2x + n) / 2n); 128 bits keep 2x exact for any show.
    const __int128 x = static_cast<__int128>(frames) * rate * fpsDenominator;
    const __int128 n = fpsNumerator;
    const __int128 twice = 2 * x + n;
    __int128 quotient = twice / (2 * n);
    if (twice % (2 * n) != 0 && twice < 0)
        --quotient;
    return static_cast<int64_t>(quotient);
}

int64_t SampleAtTime(int64_t timeMs, int rate)
{
    return SamplesForFrames(timeMs, rate, 1000, 1);
}
