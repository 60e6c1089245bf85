// SDL2 audio output. The callback renders the stream straight into the device's buffer and tells
// the clock how many samples it took; seeks hold the device lock so the callback never sees a
// half-moved stream.
#include "audio/AudioDevice.h"

#include <SDL2/SDL.h>

#include <cstring>

struct AudioDevice::Impl
{
    std::unique_ptr<MusicStream> stream;
    std::unique_ptr<AudioClock> clock;
    SDL_AudioDeviceID device = 0;
    bool audioInitialised = false;
    int rate = 0;
    int64_t bufferSamples = 0;
    bool paused = true;

    static void Callback(void* user, Uint8* bytes, int length)
    {
        Impl& impl = *static_cast<Impl*>(user);
        const size_t frames = static_cast<size_t>(length) / (sizeof(int16_t) * kMusicChannels);
        impl.stream->Render(reinterpret_cast<int16_t*>(bytes), frames);
        impl.clock->OnConsumed(static_cast<int64_t>(frames), std::chrono::steady_clock::now());
    }
};

AudioDevice::AudioDevice() : m_impl(std::make_unique<Impl>()) {}

AudioDevice::~AudioDevice() { Close(); }

bool AudioDevice::Open(std::unique_ptr<MusicStream> stream, std::string* error)
{
    Close();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    {
        *error = std::string("no sound: ") + SDL_GetError();
        return false;
    }
    m_impl->audioInitialised = true;
    // A real driver without any output device would only print its own complaints on open;
    // the test drivers (dummy, disk) have no devices to list and are opened as they are.
    const char* driver = SDL_GetCurrentAudioDriver();
    const bool testDriver = driver != nullptr && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "disk") == 0);
    if (!testDriver && SDL_GetNumAudioDevices(0) == 0)
    {
        *error = std::string("no sound output device (") + (driver != nullptr ? driver : "no driver") + ")";
        Close();
        return false;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = stream->SampleRate();
    wanted.format = AUDIO_S16SYS;
    wanted.channels = kMusicChannels;
    wanted.samples = 1024;
    wanted.callback = &Impl::Callback;
    wanted.userdata = m_impl.get();
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts to whatever the hardware wants behind the callback.
    m_impl->device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (m_impl->device == 0)
    {
        *error = std::string("cannot open the sound device: ") + SDL_GetError();
        Close();
        return false;
    }
    m_impl->rate = obtained.freq;
    m_impl->bufferSamples = obtained.samples;
    m_impl->clock = std::make_unique<AudioClock>(obtained.freq, obtained.samples);
    m_impl->clock->Reset(stream->Position());
    m_impl->stream = std::move(stream);
    m_impl->paused = true;
    return true;
}

void AudioDevice::SetPaused(bool paused)
{
    if (m_impl->device == 0 || paused == m_impl->paused)
        return;
    m_impl->paused = paused;
    m_impl->clock->SetPaused(paused, std::chrono::steady_clock::now());
    SDL_PauseAudioDevice(m_impl->device, paused ? 1 : 0);
}

void AudioDevice::Seek(int64_t position)
{
    if (m_impl->device == 0)
        return;
    SDL_LockAudioDevice(m_impl->device);
    m_impl->stream->Seek(position);
    m_impl->clock->Reset(position);
    SDL_UnlockAudioDevice(m_impl->device);
}

int64_t AudioDevice::Position()
{
    return m_impl->clock ? m_impl->clock->Position(std::chrono::steady_clock::now()) : 0;
}

int64_t AudioDevice::Consumed() { return m_impl->clock ? m_impl->clock->Consumed() : 0; }

int AudioDevice::SampleRate() const { return m_impl->rate; }

int64_t AudioDevice::BufferSamples() const { return m_impl->bufferSamples; }

void AudioDevice::Close()
{
    if (m_impl->device != 0)
        SDL_CloseAudioDevice(m_impl->device);
    m_impl->device = 0;
    if (m_impl->audioInitialised)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_impl->audioInitialised = false;
    m_impl->stream.reset();
    m_impl->clock.reset();
}
