// The sound device, as the show's clock sees it: plays a MusicStream and tells how far playback
// has got, counted in samples (AudioClock). The show's clock follows it while music plays in a
// window, so picture and sound cannot drift apart. Each platform implements it in its own folder
// and opens it through Backend::OpenAudio.
#pragma once

#include <cstdint>

class AudioDevice
{
public:
    virtual ~AudioDevice() = default;

    // Starts, pauses or resumes playback (a device opens paused).
    virtual void SetPaused(bool paused) = 0;

    // Plays from sample frame `position` on; the clock jumps there.
    virtual void Seek(int64_t position) = 0;

    // The sample frame being heard now: monotonic between seeks.
    virtual int64_t Position() = 0;

    // Sample frames the device has taken since the last seek (for tests).
    virtual int64_t Consumed() = 0;

    virtual int SampleRate() const = 0;
};
