// The music through Web Audio. The stream is decoded here (stb_vorbis, as on Windows) in chunks
// of about 46 ms, each handed to the browser as a buffer scheduled right after the one before,
// about three quarters of a second ahead of what is heard; the browser plays them on its own
// audio thread, so a slow frame never breaks the sound. The queue is topped up whenever the
// show asks for the position, once a frame.
//
// The position is the Web Audio clock's: the sample being heard is the chunk's first sample
// plus the context time elapsed since that chunk started, never past what was queued (a queue
// that ran dry holds the clock where the sound stopped) and never backwards between seeks.
// Pausing suspends the audio context, which stops its clock with the sound.
#include "platform/web/WebAudioDevice.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/web/WebPage.h"

namespace {

constexpr int kChunkFrames = 2048;
constexpr double kLeadSeconds = 0.75;

class WebAudioDevice : public AudioDevice
{
public:
    WebAudioDevice(std::unique_ptr<MusicStream> stream) : m_stream(std::move(stream)), m_rate(m_stream->SampleRate())
    {
        Restart(m_stream->Position());
    }

    ~WebAudioDevice() override { zarnovelt_web_audio_close(); }

    void SetPaused(bool paused) override
    {
        if (paused == m_paused)
            return;
        m_paused = paused;
        zarnovelt_web_audio_pause(paused ? 1 : 0);
        if (!paused)
            Feed();
    }

    void Seek(int64_t position) override
    {
        zarnovelt_web_audio_stop();
        m_stream->Seek(position);
        Restart(position);
        if (!m_paused)
            Feed();
    }

    int64_t Position() override
    {
        if (!m_paused)
            Feed();
        if (m_chunkTime < 0.0)
            return m_lastAnswer;
        const double since = zarnovelt_web_audio_heard() - m_chunkTime;
        int64_t position = m_chunkSample + static_cast<int64_t>(std::floor(std::max(0.0, since) * m_rate));
        position = std::min(position, m_queuedEnd);
        position = std::max(position, m_lastAnswer);
        m_lastAnswer = position;
        return position;
    }

    int64_t Consumed() override { return m_queuedEnd - m_seekPosition; }

    int SampleRate() const override { return m_rate; }

    int64_t BufferSamples() const override { return static_cast<int64_t>(kLeadSeconds * m_rate); }

private:
    void Restart(int64_t position)
    {
        m_seekPosition = position;
        m_queuedEnd = position;
        m_lastAnswer = position;
        m_chunkTime = -1.0;
        m_chunkSample = position;
        m_expectedTime = -1.0;
    }

    // Queues chunks until the lead is covered. A chunk that could not follow the one before
    // (the queue ran dry) starts a new anchor for the clock.
    void Feed()
    {
        m_pcm.resize(static_cast<size_t>(kChunkFrames) * kMusicChannels);
        while (zarnovelt_web_audio_ahead() < kLeadSeconds)
        {
            m_stream->Render(m_pcm.data(), kChunkFrames);
            const double at = zarnovelt_web_audio_queue(m_pcm.data(), kChunkFrames, m_rate);
            if (m_expectedTime < 0.0 || std::fabs(at - m_expectedTime) > 0.5 / m_rate)
            {
                m_chunkTime = at;
                m_chunkSample = m_queuedEnd;
            }
            m_queuedEnd += kChunkFrames;
            m_expectedTime = at + static_cast<double>(kChunkFrames) / m_rate;
        }
    }

    std::unique_ptr<MusicStream> m_stream;
    int m_rate;
    bool m_paused = true;
    std::vector<int16_t> m_pcm;
    int64_t m_seekPosition = 0;
    int64_t m_queuedEnd = 0;        // the sample after the last one queued
    int64_t m_lastAnswer = 0;
    double m_chunkTime = -1.0;      // the anchor: the context time m_chunkSample is heard at
    int64_t m_chunkSample = 0;
    double m_expectedTime = -1.0;   // where the next chunk would start, back to back
};

} // namespace

std::unique_ptr<AudioDevice> OpenWebAudioDevice(std::unique_ptr<MusicStream> stream, std::string* error)
{
    if (zarnovelt_web_audio_open() == 0)
    {
        *error = "no sound: the browser has not allowed the page to play any (start the show with its Start button)";
        return nullptr;
    }
    return std::make_unique<WebAudioDevice>(std::move(stream));
}
