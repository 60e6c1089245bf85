// The music through Web Audio. The stream is decoded here, by the library's own decoder
// (stb_vorbis, as on Windows), not by the browser's decodeAudioData: the same samples as the
// desktop builds and their captures, in any browser (not every one decodes Ogg Vorbis), from
// any position without decoding the whole file first, with the library's volume and the
// silence after the music. It goes out in chunks of about 46 ms, each handed to the browser as
// a buffer scheduled right after the one before, about three quarters of a second ahead of
// what is heard; the browser plays them on its own audio thread, so a slow frame never breaks
// the sound. The queue is topped up whenever the show asks for the position, once a frame.
//
// The position is the Web Audio clock's (ScheduledAudioClock): the audio context's time being
// heard, counted from the time the chunks were scheduled at. Pausing suspends the audio
// context, which stops its clock with the sound.
#include "platform/web/WebAudioDevice.h"

#include <vector>

#include "audio/ScheduledAudioClock.h"
#include "platform/web/WebPage.h"

namespace {

constexpr int kChunkFrames = 2048;
constexpr double kLeadSeconds = 0.75;

class WebAudioDevice : public AudioDevice
{
public:
    explicit WebAudioDevice(std::unique_ptr<MusicStream> stream)
        : m_stream(std::move(stream)), m_clock(m_stream->SampleRate())
    {
        m_clock.Reset(m_stream->Position());
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
        m_clock.Reset(position);
        if (!m_paused)
            Feed();
    }

    int64_t Position() override
    {
        if (!m_paused)
            Feed();
        return m_clock.Position(zarnovelt_web_audio_heard());
    }

    int64_t Consumed() override { return m_clock.Queued(); }

    int SampleRate() const override { return m_clock.SampleRate(); }


private:
    // Queues chunks until the lead is covered.
    void Feed()
    {
        m_pcm.resize(static_cast<size_t>(kChunkFrames) * kMusicChannels);
        while (zarnovelt_web_audio_ahead() < kLeadSeconds)
        {
            m_stream->Render(m_pcm.data(), kChunkFrames);
            m_clock.OnQueued(zarnovelt_web_audio_queue(m_pcm.data(), kChunkFrames, m_clock.SampleRate()), kChunkFrames);
        }
    }

    std::unique_ptr<MusicStream> m_stream;
    ScheduledAudioClock m_clock;
    bool m_paused = true;
    std::vector<int16_t> m_pcm;
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
