// The playback position of a sound output that plays chunks at times it was told in advance, on
// a clock of its own (Web Audio: each chunk starts at a given time of the audio context, which
// also says what time is being heard). The sample being heard is the first sample of the
// chunks played back to back since the last gap, plus the output's time elapsed since they
// started; never past the samples queued (a queue that ran dry holds the clock where the sound
// stopped), never backwards between resets.
//
// Times are the output's own, in seconds; positions are sample frames at the music's rate.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

class ScheduledAudioClock
{
public:
    explicit ScheduledAudioClock(int sampleRate) : m_rate(sampleRate) {}

    // From now on the queue plays from sample frame `position` (a seek, or the start).
    void Reset(int64_t position)
    {
        m_resetPosition = position;
        m_queuedEnd = position;
        m_lastAnswer = position;
        m_anchorTime = -1.0;
        m_anchorSample = position;
        m_nextTime = -1.0;
    }

    // `frames` sample frames were queued to start at output time `startTime`. A chunk that does
    // not follow the one before it (the queue had run dry) starts a new run of chunks.
    void OnQueued(double startTime, int64_t frames)
    {
        if (m_nextTime < 0.0 || std::fabs(startTime - m_nextTime) > 0.5 / m_rate)
        {
            m_anchorTime = startTime;
            m_anchorSample = m_queuedEnd;
        }
        m_queuedEnd += frames;
        m_nextTime = startTime + static_cast<double>(frames) / m_rate;
    }

    // The sample frame being heard at output time `heardTime`.
    int64_t Position(double heardTime)
    {
        if (m_anchorTime < 0.0)
            return m_lastAnswer;
        const double since = std::max(0.0, heardTime - m_anchorTime);
        int64_t position = m_anchorSample + static_cast<int64_t>(std::floor(since * m_rate));
        position = std::min(position, m_queuedEnd);
        position = std::max(position, m_lastAnswer);
        m_lastAnswer = position;
        return position;
    }

    // Sample frames queued since the last reset.
    int64_t Queued() const { return m_queuedEnd - m_resetPosition; }

    int SampleRate() const { return m_rate; }

private:
    int m_rate;
    int64_t m_resetPosition = 0;
    int64_t m_queuedEnd = 0;        // the sample after the last one queued
    int64_t m_lastAnswer = 0;
    double m_anchorTime = -1.0;     // the output time m_anchorSample is heard at; < 0: nothing queued
    int64_t m_anchorSample = 0;
    double m_nextTime = -1.0;       // where a chunk following the last one would start
};
