// The demo clock: the time each frame shows. Three sources, one interface:
//   ExactClock      headless runs and captures: frame k after a seek to S shows
//                   S + k * 1000 * den / num ms exactly (rounded down), however long rendering takes
//   MonotonicClock  a window without music (or without a sound device): a steady clock
//   MusicClock      a window with music: the sound device's playback position in samples
// All three stop while paused and jump on a seek; none ever goes backwards otherwise.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "audio/AudioDevice.h"
#include "audio/Music.h"

class ShowClock
{
public:
    virtual ~ShowClock() = default;

    // Called once, right before the first frame.
    virtual void Start() {}

    // The demo time of the next frame in ms; called once per frame.
    virtual int64_t FrameTime() = 0;

    // Stops or restarts the clock (and the music).
    virtual void SetPaused(bool paused) = 0;

    // The next frame shows `timeMs` (and the music plays from there).
    virtual void Seek(int64_t timeMs) = 0;

    // k * 1000 * den / num in whole ms, rounded down, without overflow for any realistic show.
    static int64_t ExactOffset(int64_t index, int fpsNumerator, int fpsDenominator)
    {
        return index * 1000 * fpsDenominator / fpsNumerator;
    }
};

class ExactClock : public ShowClock
{
public:
    ExactClock(int fpsNumerator, int fpsDenominator, int64_t startMs)
        : m_numerator(fpsNumerator), m_denominator(fpsDenominator), m_base(startMs)
    {
    }

    int64_t FrameTime() override
    {
        const int64_t time = m_base + ExactOffset(m_frames, m_numerator, m_denominator);
        if (!m_paused)
            ++m_frames;
        return time;
    }

    void SetPaused(bool paused) override { m_paused = paused; }

    void Seek(int64_t timeMs) override
    {
        m_base = timeMs;
        m_frames = 0;
    }

private:
    int m_numerator;
    int m_denominator;
    int64_t m_base;
    int64_t m_frames = 0;
    bool m_paused = false;
};

class MonotonicClock : public ShowClock
{
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Now = std::function<TimePoint()>;

    explicit MonotonicClock(int64_t startMs, Now now = [] { return std::chrono::steady_clock::now(); })
        : m_now(std::move(now)), m_base(startMs)
    {
    }

    void Start() override { m_origin = m_now(); }

    int64_t FrameTime() override { return m_paused ? m_base : Current(); }

    void SetPaused(bool paused) override
    {
        if (paused == m_paused)
            return;
        if (paused)
            m_base = Current();
        else
            m_origin = m_now();
        m_paused = paused;
    }

    void Seek(int64_t timeMs) override
    {
        m_base = timeMs;
        m_origin = m_now();
    }

private:
    int64_t Current() const
    {
        const int64_t elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(m_now() - m_origin).count();
        return m_base + (elapsed > 0 ? elapsed : 0);
    }

    Now m_now;
    int64_t m_base;
    TimePoint m_origin{};
    bool m_paused = false;
};

class MusicClock : public ShowClock
{
public:
    // The device must be open and positioned at the show's start time.
    explicit MusicClock(AudioDevice& device) : m_device(device) {}

    void Start() override { m_device.SetPaused(false); }

    int64_t FrameTime() override { return m_device.Position() * 1000 / m_device.SampleRate(); }

    void SetPaused(bool paused) override { m_device.SetPaused(paused); }

    void Seek(int64_t timeMs) override { m_device.Seek(SampleAtTime(timeMs, m_device.SampleRate())); }

private:
    AudioDevice& m_device;
};
