// The playback position of a sound device, from the samples its callback has taken. What has
// been handed to the device is heard one buffer ("latency") later; between two callbacks the
// position runs on at the sample rate but never past what the device has taken, so it cannot
// run ahead of the sound. Between resets it never goes backwards.
//
// Thread use: OnConsumed runs on the audio thread, everything else on the show's thread; a
// mutex guards the state.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>

class AudioClock
{
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    AudioClock(int sampleRate, int64_t latencySamples) : m_rate(sampleRate), m_latency(latencySamples) {}

    // From now on the device plays from sample frame `position`; the clock holds there until
    // the device has taken more than one buffer.
    void Reset(int64_t position)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_base = position;
        m_consumed = 0;
        m_lastChunk = 0;
        m_anchored = false;
        m_lastAnswer = position;
    }

    // The device took `frames` sample frames at `now`.
    void OnConsumed(int64_t frames, TimePoint now)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_consumed += frames;
        m_lastChunk = frames;
        m_anchorTime = now;
        m_anchored = true;
    }

    // While paused the position stays where it was; after resuming it holds until the device
    // takes samples again.
    void SetPaused(bool paused, TimePoint now)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (paused == m_paused)
            return;
        if (paused)
            m_lastAnswer = PositionLocked(now);
        else
            m_anchored = false;
        m_paused = paused;
    }

    // The sample frame being heard at `now`.
    int64_t Position(TimePoint now)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return PositionLocked(now);
    }

    // Sample frames the device has taken since the last reset.
    int64_t Consumed()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_consumed;
    }

    int SampleRate() const { return m_rate; }

private:
    int64_t PositionLocked(TimePoint now)
    {
        if (m_paused || !m_anchored)
            return m_lastAnswer;
        const int64_t heardAtCallback = m_base + m_consumed - m_latency;
        const int64_t sinceCallback =
            std::chrono::duration_cast<std::chrono::microseconds>(now - m_anchorTime).count() * m_rate / 1000000;
        int64_t position = heardAtCallback + (sinceCallback > 0 ? sinceCallback : 0);
        // The next callback comes when the chunk just taken starts to play; never claim more.
        const int64_t limit = heardAtCallback + m_lastChunk;
        if (position > limit)
            position = limit;
        if (position < m_lastAnswer)
            position = m_lastAnswer;
        m_lastAnswer = position;
        return position;
    }

    std::mutex m_mutex;
    int m_rate;
    int64_t m_latency;
    int64_t m_base = 0;
    int64_t m_consumed = 0;
    int64_t m_lastChunk = 0;
    bool m_anchored = false;
    bool m_paused = false;
    TimePoint m_anchorTime{};
    int64_t m_lastAnswer = 0;
};
