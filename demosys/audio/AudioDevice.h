// The sound device: plays a MusicStream through SDL2 audio and tells how far playback has got,
// counted in samples (AudioClock). The show's clock follows it while music plays in a window,
// so picture and sound cannot drift apart.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "audio/AudioClock.h"
#include "audio/Music.h"

class AudioDevice
{
public:
    AudioDevice();
    ~AudioDevice();
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    // Opens the default output device at the stream's rate, stereo, 16 bits, paused, positioned
    // at the stream's current position. False with a one-line reason when there is no usable
    // device (SDL_AUDIODRIVER picks the driver, e.g. "dummy" or "disk" for tests).
    bool Open(std::unique_ptr<MusicStream> stream, std::string* error);

    // Starts, pauses or resumes playback.
    void SetPaused(bool paused);

    // Plays from sample frame `position` on; the clock jumps there.
    void Seek(int64_t position);

    // The sample frame being heard now: monotonic between seeks.
    int64_t Position();

    // Sample frames the device has taken since the last seek (for tests).
    int64_t Consumed();

    int SampleRate() const;
    // Sample frames in the device's buffer: the latency subtracted from the samples taken.
    int64_t BufferSamples() const;

    void Close();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
