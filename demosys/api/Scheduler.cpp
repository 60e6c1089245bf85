#include "api/Scheduler.h"

#include <algorithm>
#include <cstdio>

#include "api/Library.h"
#include "support/Profiler.h"

void Scheduler::AddEffect(CEffect* effect, const std::string& name)
{
    Slot slot;
    slot.effect = effect;
    slot.name = name;
    m_slots.push_back(slot);
    m_warnedUnusable.push_back(false);
}

void Scheduler::Notify(const Slot& slot, const char* call)
{
    if (m_observer)
    {
        m_observer(slot.name, call);
        return;
    }
    if (m_checkGlFromEnvironment && Library().backend != nullptr && Library().backend->HasGl())
        CheckGlErrorsAfter(slot.name, call);
}

void Scheduler::InitAll(int width, int height, const std::function<void(size_t, size_t)>& progress)
{
    for (size_t i = 0; i < m_slots.size(); ++i)
    {
        Slot& slot = m_slots[i];
        const double started = Profiler::NowMs();
        int status = 0;
        {
            const Profiler::Scope scope(Profiler::kEffects);
            status = slot.effect->Init(width, height);
        }
        if (Profiler::Enabled())
            Profiler::Count("Init " + slot.name, Profiler::NowMs() - started);
        slot.initialised = true;
        slot.usable = status == 0;
        Notify(slot, "Init");
        if (status != 0)
            std::fprintf(stderr, "Error: effect %s failed to initialise (status %d)\n", slot.name.c_str(), status);
        if (progress)
            progress(i + 1, m_slots.size());
    }
}

int Scheduler::FindSlot(const std::string& name) const
{
    for (size_t i = 0; i < m_slots.size(); ++i)
        if (m_slots[i].name == name)
            return static_cast<int>(i);
    return -1;
}

bool Scheduler::HasEffect(const std::string& name) const { return FindSlot(name) >= 0; }

bool Scheduler::CheckUsable(int slot, const TimelineEvent& event)
{
    if (slot < 0)
    {
        ReportWarningOnce("line " + std::to_string(event.line) + ": unknown effect \"" + event.effect + "\"");
        return false;
    }
    if (!m_slots[slot].usable)
    {
        if (!m_warnedUnusable[slot])
        {
            m_warnedUnusable[slot] = true;
            std::fprintf(stderr, "Warning: effect %s is out of the show; its script lines are skipped\n",
                         m_slots[slot].name.c_str());
        }
        return false;
    }
    return true;
}

void Scheduler::Apply(const TimelineEvent& event)
{
    if (event.command == TimelineCommand::End)
        return;
    const int index = FindSlot(event.effect);
    if (!CheckUsable(index, event))
        return;
    Slot& slot = m_slots[index];
    auto running = std::find_if(m_running.begin(), m_running.end(),
                                [&](const Running& r) { return r.slot == static_cast<size_t>(index); });
    switch (event.command)
    {
    case TimelineCommand::Start:
        if (running != m_running.end())
        {
            // A restart: End, then Prepare with a new start time and layer.
            {
                const Profiler::Scope scope(Profiler::kEffects);
                slot.effect->End();
            }
            Notify(slot, "End");
            m_running.erase(running);
        }
        {
            const Profiler::Scope scope(Profiler::kEffects);
            slot.effect->Prepare();
        }
        Notify(slot, "Prepare");
        m_running.push_back(Running{static_cast<size_t>(index), event.layer, event.timeMs, m_nextStartOrder++});
        break;
    case TimelineCommand::Stop:
        if (running == m_running.end())
        {
            std::fprintf(stderr, "Warning: line %d: stop of %s, which is not running\n", event.line,
                         slot.name.c_str());
            break;
        }
        {
            const Profiler::Scope scope(Profiler::kEffects);
            slot.effect->End();
        }
        Notify(slot, "End");
        m_running.erase(running);
        break;
    case TimelineCommand::Int:
    {
        // Effects take a writable name; give each call its own copy.
        std::vector<char> name(event.name.begin(), event.name.end());
        name.push_back('\0');
        {
            const Profiler::Scope scope(Profiler::kEffects);
            slot.effect->ReceiveInt(name.data(), event.value, 0);
        }
        Notify(slot, "ReceiveInt");
        break;
    }
    case TimelineCommand::End:
        break;
    }
}

std::vector<Scheduler::Running> Scheduler::RunningInDrawOrder() const
{
    std::vector<Running> order = m_running;
    std::stable_sort(order.begin(), order.end(), [](const Running& a, const Running& b) {
        return a.layer != b.layer ? a.layer < b.layer : a.startOrder < b.startOrder;
    });
    return order;
}

void Scheduler::RenderFrame(int64_t demoTimeMs)
{
    for (const Running& running : RunningInDrawOrder())
    {
        Slot& slot = m_slots[running.slot];
        {
            const Profiler::Scope scope(Profiler::kEffects);
            slot.effect->RenderFrame(static_cast<long>(demoTimeMs - running.startTimeMs));
        }
        Notify(slot, "RenderFrame");
    }
}

void Scheduler::StopAll()
{
    for (const Running& running : RunningInDrawOrder())
    {
        Slot& slot = m_slots[running.slot];
        {
            const Profiler::Scope scope(Profiler::kEffects);
            slot.effect->End();
        }
        Notify(slot, "End");
    }
    m_running.clear();
}
