// SDL2 audio output. The callback renders the stream straight into the device's buffer and tells
// the clock how many samples it took; seeks hold the device lock so the callback never sees a
// half-moved stream.
#include "platform/sdl/SdlAudioDevice.h"

#include <SDL2/SDL.h>

#include <cstring>

#include "audio/AudioClock.h"

namespace {

class SdlAudioDevice : public AudioDevice
{
public:
    ~SdlAudioDevice() override { Close(); }

    bool Open(std::unique_ptr<MusicStream> stream, std::string* error);
    void SetPaused(bool paused) override;
    void Seek(int64_t position) override;
    int64_t Position() override;
    int64_t Consumed() override;
    int SampleRate() const override { return m_rate; }
    void Close();

private:
    static void Callback(void* user, Uint8* bytes, int length);

    std::unique_ptr<MusicStream> m_stream;
    std::unique_ptr<AudioClock> m_clock;
    SDL_AudioDeviceID m_device = 0;
    bool m_audioInitialised = false;
    int m_rate = 0;
    bool m_paused = true;
};


void SdlAudioDevice::Callback(void* user, Uint8* bytes, int length)
{
    SdlAudioDevice& device = *static_cast<SdlAudioDevice*>(user);
    const size_t frames = static_cast<size_t>(length) / (sizeof(int16_t) * kMusicChannels);
    device.m_stream->Render(reinterpret_cast<int16_t*>(bytes), frames);
    device.m_clock->OnConsumed(static_cast<int64_t>(frames), std::chrono::steady_clock::now());
}

bool SdlAudioDevice::Open(std::unique_ptr<MusicStream> stream, std::string* error)
{
    Close();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    {
        *error = std::string("no sound: ") + SDL_GetError();
        return false;
    }
    m_audioInitialised = true;
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
    wanted.callback = &SdlAudioDevice::Callback;
    wanted.userdata = this;
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts to whatever the hardware wants behind the callback.
    m_device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (m_device == 0)
    {
        *error = std::string("cannot open the sound device: ") + SDL_GetError();
        Close();
        return false;
    }
    m_rate = obtained.freq;
    m_clock = std::make_unique<AudioClock>(obtained.freq, obtained.samples);
    m_clock->Reset(stream->Position());
    m_stream = std::move(stream);
    m_paused = true;
    return true;
}

void SdlAudioDevice::SetPaused(bool paused)
{
    if (m_device == 0 || paused == m_paused)
        return;
    m_paused = paused;
    m_clock->SetPaused(paused, std::chrono::steady_clock::now());
    SDL_PauseAudioDevice(m_device, paused ? 1 : 0);
}

void SdlAudioDevice::Seek(int64_t position)
{
    if (m_device == 0)
        return;
    SDL_LockAudioDevice(m_device);
    m_stream->Seek(position);
    m_clock->Reset(position);
    SDL_UnlockAudioDevice(m_device);
}

int64_t SdlAudioDevice::Position()
{
    return m_clock ? m_clock->Position(std::chrono::steady_clock::now()) : 0;
}

int64_t SdlAudioDevice::Consumed() { return m_clock ? m_clock->Consumed() : 0; }

void SdlAudioDevice::Close()
{
    if (m_device != 0)
        SDL_CloseAudioDevice(m_device);
    m_device = 0;
    if (m_audioInitialised)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_audioInitialised = false;
    m_stream.reset();
    m_clock.reset();
}

} // namespace

std::unique_ptr<AudioDevice> OpenSdlAudioDevice(std::unique_ptr<MusicStream> stream, std::string* error)
{
    auto device = std::make_unique<SdlAudioDevice>();
    if (!device->Open(std::move(stream), error))
        return nullptr;
    return device;
}
