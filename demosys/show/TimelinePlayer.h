// Plays the timeline script into the scheduler: applies its events as the show's time passes,
// and moves the show to another time (a seek, a restart, a reloaded script) without drawing.
//
// What holds after every call: each event with time <= the current time has been applied
// exactly once since the last rewind, in file order, and no later event has. A rewind (a seek
// backwards, a restart, a new script) cannot take back what effects already received, so it
// ends every running effect first and then applies the events from 0 again, in order.
#pragma once

#include <cstdint>

#include "api/Scheduler.h"
#include "script/Timeline.h"

class TimelinePlayer
{
public:
    TimelinePlayer(Scheduler& scheduler, Timeline timeline);

    // Applies, in file order, every event not yet applied whose time is <= timeMs. Stops at an
    // "end" event (Ended() is then true; later events stay unapplied).
    void AdvanceTo(int64_t timeMs);

    // Moves the show to timeMs without drawing. Forward: the events in between, as AdvanceTo.
    // Backward: End every running effect, then the events 0..timeMs, each once, in order.
    void SeekTo(int64_t timeMs);

    // Takes a new script (a reload) and replays it from 0 to timeMs.
    void Replace(Timeline timeline, int64_t timeMs);

    // An "end" event was applied: the show is over.
    bool Ended() const { return m_ended; }

    // The latest time the show has been moved or advanced to.
    int64_t CurrentTime() const { return m_time; }

    const Timeline& Script() const { return m_timeline; }

private:
    void Rewind();

    Scheduler& m_scheduler;
    Timeline m_timeline;
    size_t m_next = 0;
    bool m_ended = false;
    int64_t m_time = 0;
};
