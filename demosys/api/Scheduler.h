// The dispatcher that owns every effect's lifecycle during the show. It guarantees, whatever
// the script says: Init once, first, for every effect, in registration order; Prepare before an
// effect's first frame; End after its last; ReceiveInt only after Init; a restart is End then
// Prepare. Effects whose Init failed are kept out of the show, and script lines that name them
// are skipped with one warning per effect.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "DemoGL.h"
#include "api/GlErrorCheck.h"
#include "script/Timeline.h"

class Scheduler
{
public:
    struct Slot
    {
        CEffect* effect = nullptr;
        std::string name;
        bool initialised = false;   // Init ran
        bool usable = false;        // Init returned 0
    };

    struct Running
    {
        size_t slot = 0;
        int layer = 0;
        int64_t startTimeMs = 0;
        uint64_t startOrder = 0;    // effects on one layer draw in the order they were started
    };

    void AddEffect(CEffect* effect, const std::string& name);

    // The GL error audit after every effect call (GlErrorCheck.h): on when the run asks for it
    // (--check-gl, the debug argument of DEMOGL_AppRun) or ZARNOVELT_CHECK_GL is set, and only
    // while a GL context is current.
    void SetGlAudit(bool on) { m_glAudit = on || GlCheckForcedByEnvironment(); }

    // Init(width, height) for every effect in registration order; progress(done, total) after
    // each. A non-zero status is reported once and the effect is kept out of the show.
    void InitAll(int width, int height, const std::function<void(size_t, size_t)>& progress);

    // Applies one script event at demo time nowMs (the event's own time for start times).
    void Apply(const TimelineEvent& event);

    // Draws one frame: RenderFrame(T - start time) for each running effect in layer order.
    void RenderFrame(int64_t demoTimeMs);

    // End for every running effect (at the end of the show), in drawing order.
    void StopAll();

    bool HasEffect(const std::string& name) const;
    const std::vector<Slot>& Slots() const { return m_slots; }
    // The running effects in drawing order.
    std::vector<Running> RunningInDrawOrder() const;

private:
    int FindSlot(const std::string& name) const;
    bool CheckUsable(int slot, const TimelineEvent& event);
    // Calls one of the slot's effect operations: timed as effect work, then audited.
    template <typename Call>
    void CallEffect(const Slot& slot, const char* callName, Call&& call);

    std::vector<Slot> m_slots;
    std::vector<Running> m_running;
    std::vector<bool> m_warnedUnusable;
    uint64_t m_nextStartOrder = 0;
    // The environment is read once per scheduler: it does not change during a show.
    bool m_glAudit = GlCheckForcedByEnvironment();
};
