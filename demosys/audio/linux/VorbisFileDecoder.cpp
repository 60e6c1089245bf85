// Ogg Vorbis through libvorbisfile, read from bytes in memory.
#include "audio/MusicDecoders.h"

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {


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

} // namespace

std::unique_ptr<MusicDecoder> OpenVorbisMusic(std::vector<uint8_t> bytes, std::string* error)
{
    auto decoder = std::make_unique<VorbisDecoder>();
    if (!decoder->Open(std::move(bytes), error))
        return nullptr;
    return decoder;
}
