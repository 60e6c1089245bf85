// Tracker modules (MOD, XM, S3M, IT) through libopenmpt, read from bytes in memory.
#include "audio/MusicDecoders.h"

#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>

namespace {


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

std::unique_ptr<MusicDecoder> OpenModuleMusic(const std::vector<uint8_t>& bytes, std::string* error)
{
    auto decoder = std::make_unique<ModuleDecoder>();
    if (!decoder->Open(bytes, error))
        return nullptr;
    return decoder;
}
