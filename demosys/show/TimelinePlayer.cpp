#include "show/TimelinePlayer.h"

#include <algorithm>
#include <utility>

TimelinePlayer::TimelinePlayer(Scheduler& scheduler, Timeline timeline)
    : m_scheduler(scheduler), m_timeline(std::move(timeline))
{
}

void TimelinePlayer::AdvanceTo(int64_t timeMs)
{
    m_time = std::max(m_time, timeMs);
    while (!m_ended && m_next < m_timeline.events.size() && m_timeline.events[m_next].timeMs <= timeMs)
    {
        const TimelineEvent& event = m_timeline.events[m_next++];
        if (event.command == TimelineCommand::End)
            m_ended = true;
        else
            m_scheduler.Apply(event);
    }
    // The parser keeps the "end" line as the timeline's end time rather than as an event.
    if (m_timeline.hasEnd && m_time >= m_timeline.endTimeMs)
        m_ended = true;
}

void TimelinePlayer::Rewind()
{
    m_scheduler.StopAll();
    m_next = 0;
    m_ended = false;
    m_time = 0;
}

void TimelinePlayer::SeekTo(int64_t timeMs)
{
    if (timeMs < m_time)
        Rewind();
    AdvanceTo(timeMs);
}

void TimelinePlayer::Replace(Timeline timeline, int64_t timeMs)
{
    Rewind();
    m_timeline = std::move(timeline);
    AdvanceTo(timeMs);
}
