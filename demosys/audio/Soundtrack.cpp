#include "audio/Soundtrack.h"

#include "support/Report.h"
#include "support/WholeFile.h"

void Soundtrack::Load(const Timeline& timeline, const std::string& scriptName)
{
    m_file = timeline.musicFile;
    m_bytes.clear();
    m_ok = false;
    m_lengthSamples = -1;
    m_rate = kModuleSampleRate;
    if (m_file.empty())
        return;
    std::string error;
    std::unique_ptr<MusicDecoder> decoder;
    const WholeFileResult read = ReadWholeFile(m_file, &m_bytes);
    if (read.ok)
        decoder = OpenMusicBytes(m_bytes, m_file, &error);
    else
        error = "cannot read (" + read.Reason(kMaxDataFileBytes) + ")";
    if (!decoder)
    {
        ReportWarning(scriptName + ":" + std::to_string(timeline.musicLine) + ": music \"" + m_file + "\": " + error +
                      "; the show runs silent");
        m_bytes.clear();
        return;
    }
    m_ok = true;
    m_rate = decoder->SampleRate();
    m_lengthSamples = decoder->LengthSamples();
}

int64_t Soundtrack::LengthMs() const
{
    if (!m_ok || m_lengthSamples < 0)
        return -1;
    return (m_lengthSamples * 1000 + m_rate - 1) / m_rate;
}

int64_t Soundtrack::ShowEndMs(const Timeline& timeline) const
{
    if (timeline.hasEnd)
        return timeline.endTimeMs;
    const int64_t music = LengthMs();
    return music >= 0 ? music : timeline.endTimeMs;
}

std::unique_ptr<MusicStream> Soundtrack::Stream(int64_t startMs, int volumePercent, bool audible) const
{
    std::unique_ptr<MusicDecoder> decoder;
    if (m_ok && audible)
    {
        std::string error;
        decoder = OpenMusicBytes(m_bytes, m_file, &error);
    }
    auto stream = std::make_unique<MusicStream>(std::move(decoder), volumePercent);
    stream->Seek(SampleAtTime(startMs, stream->SampleRate()));
    return stream;
}
