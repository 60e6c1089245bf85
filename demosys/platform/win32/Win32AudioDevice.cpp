// waveOut output: a feeder thread keeps a few buffers queued on the device, rendering the stream
// into each one the device hands back. What has been queued is "taken" in the clock's sense
// (AudioClock): it is heard once the buffers queued before it have played, so the queue is the
// clock's latency. Seeks and pauses hold the device lock, so the feeder never sees a half-moved
// stream.
#include "platform/win32/Win32AudioDevice.h"

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/AudioClock.h"

namespace {

constexpr int kBufferCount = 4;
constexpr int kBufferFrames = 2048;

std::string WaveOutErrorText(MMRESULT code)
{
    wchar_t text[MAXERRORLENGTH] = {};
    if (waveOutGetErrorTextW(code, text, MAXERRORLENGTH) != MMSYSERR_NOERROR)
        return "waveOut error " + std::to_string(code);
    std::string narrow;
    for (const wchar_t* c = text; *c != 0; ++c)
        narrow.push_back(*c < 128 ? static_cast<char>(*c) : '?');
    return narrow;
}

class Win32AudioDevice : public AudioDevice
{
public:
    ~Win32AudioDevice() override { Close(); }

    bool Open(std::unique_ptr<MusicStream> stream, std::string* error)
    {
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = kMusicChannels;
        format.nSamplesPerSec = static_cast<DWORD>(stream->SampleRate());
        format.wBitsPerSample = 16;
        format.nBlockAlign = static_cast<WORD>(format.nChannels * format.wBitsPerSample / 8);
        format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
        m_event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        const MMRESULT opened = waveOutOpen(&m_device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(m_event), 0,
                                            CALLBACK_EVENT);
        if (opened != MMSYSERR_NOERROR)
        {
            *error = opened == MMSYSERR_BADDEVICEID || opened == MMSYSERR_NODRIVER
                         ? "no sound output device"
                         : "cannot open the sound device: " + WaveOutErrorText(opened);
            m_device = nullptr;
            Close();
            return false;
        }
        // Nothing plays until the show says so.
        waveOutPause(m_device);
        m_rate = stream->SampleRate();
        m_clock = std::make_unique<AudioClock>(m_rate, int64_t{kBufferCount} * kBufferFrames);
        m_clock->Reset(stream->Position());
        m_stream = std::move(stream);
        for (Buffer& buffer : m_buffers)
        {
            buffer.samples.assign(static_cast<size_t>(kBufferFrames) * kMusicChannels, 0);
            buffer.header.lpData = reinterpret_cast<LPSTR>(buffer.samples.data());
            buffer.header.dwBufferLength = static_cast<DWORD>(buffer.samples.size() * sizeof(int16_t));
            waveOutPrepareHeader(m_device, &buffer.header, sizeof buffer.header);
            buffer.header.dwFlags |= WHDR_DONE;   // free to be filled
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            FillFreeBuffers();
        }
        m_feeder = std::thread([this] { FeedLoop(); });
        return true;
    }

    void SetPaused(bool paused) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_device == nullptr || paused == m_paused)
            return;
        m_paused = paused;
        m_clock->SetPaused(paused, std::chrono::steady_clock::now());
        if (paused)
            waveOutPause(m_device);
        else
            waveOutRestart(m_device);
    }

    void Seek(int64_t position) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_device == nullptr)
            return;
        // Every queued buffer comes back marked done; they are filled again from the new place.
        waveOutReset(m_device);
        if (m_paused)
            waveOutPause(m_device);
        m_stream->Seek(position);
        m_clock->Reset(position);
        FillFreeBuffers();
    }

    int64_t Position() override { return m_clock ? m_clock->Position(std::chrono::steady_clock::now()) : 0; }
    int64_t Consumed() override { return m_clock ? m_clock->Consumed() : 0; }
    int SampleRate() const override { return m_rate; }

    void Close()
    {
        m_stopping = true;
        if (m_event != nullptr)
            SetEvent(m_event);
        if (m_feeder.joinable())
            m_feeder.join();
        if (m_device != nullptr)
        {
            waveOutReset(m_device);
            for (Buffer& buffer : m_buffers)
                waveOutUnprepareHeader(m_device, &buffer.header, sizeof buffer.header);
            waveOutClose(m_device);
        }
        m_device = nullptr;
        if (m_event != nullptr)
            CloseHandle(m_event);
        m_event = nullptr;
        m_stream.reset();
        m_clock.reset();
    }

private:
    struct Buffer
    {
        WAVEHDR header{};
        std::vector<int16_t> samples;
    };

    // With the lock held: renders into every buffer the device has handed back and queues it.
    void FillFreeBuffers()
    {
        for (Buffer& buffer : m_buffers)
        {
            if ((buffer.header.dwFlags & WHDR_DONE) == 0)
                continue;
            m_stream->Render(buffer.samples.data(), kBufferFrames);
            buffer.header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
            if (waveOutWrite(m_device, &buffer.header, sizeof buffer.header) != MMSYSERR_NOERROR)
            {
                buffer.header.dwFlags |= WHDR_DONE;
                continue;
            }
            m_clock->OnConsumed(kBufferFrames, std::chrono::steady_clock::now());
        }
    }

    void FeedLoop()
    {
        while (!m_stopping)
        {
            WaitForSingleObject(m_event, 100);
            if (m_stopping)
                break;
            std::lock_guard<std::mutex> lock(m_mutex);
            FillFreeBuffers();
        }
    }

    std::unique_ptr<MusicStream> m_stream;
    std::unique_ptr<AudioClock> m_clock;
    HWAVEOUT m_device = nullptr;
    HANDLE m_event = nullptr;
    Buffer m_buffers[kBufferCount];
    std::mutex m_mutex;
    std::thread m_feeder;
    std::atomic<bool> m_stopping{false};
    int m_rate = 0;
    bool m_paused = true;
};

} // namespace

std::unique_ptr<AudioDevice> OpenWin32AudioDevice(std::unique_ptr<MusicStream> stream, std::string* error)
{
    auto device = std::make_unique<Win32AudioDevice>();
    if (!device->Open(std::move(stream), error))
        return nullptr;
    return device;
}
