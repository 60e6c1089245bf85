#include "api/Scheduler.h"

#include <algorithm>

#include "platform/CurrentContext.h"
#include "support/Profiler.h"
#include "support/Report.h"

void Scheduler::AddEffect(CEffect* effect, const std::string& name)
{
    Slot slot;
    slot.effect = effect;
    slot.name = name;
    m_slots.push_back(slot);
    m_warnedUnusable.push_back(false);
}

template <typename Call>
void Scheduler::CallEffect(const Slot& slot, const char* callName, Call&& call)
{
    {
        const Profiler::Scope scope(Profiler::kEffects);
        call(slot.effect);
    }
    if (m_glAudit && CurrentContextHasGl())
        CheckGlErrorsAfter(slot.name, callName);
}

void Scheduler::InitAll(int width, int height, const std::function<void(size_t, size_t)>& progress)
{
    for (size_t i = 0; i < m_slots.size(); ++i)
    {
        Slot& slot = m_slots[i];
        const double started = Profiler::NowMs();
        int status = 0;
        CallEffect(slot, "Init", [&](CEffect* effect) { status = effect->Init(width, height); });
        if (Profiler::Enabled())
            Profiler::Count("Init " + slot.name, Profiler::NowMs() - started);
        slot.initialised = true;
        slot.usable = status == 0;
        if (status != 0)
            ReportError("effect " + slot.name + " failed to initialise (status " + std::to_string(status) + ")");
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
            ReportWarning("effect " + m_slots[slot].name + " is out of the show; its script lines are skipped");
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
            CallEffect(slot, "End", [](CEffect* effect) { effect->End(); });
            m_running.erase(running);
        }
        CallEffect(slot, "Prepare", [](CEffect* effect) { effect->Prepare(); });
        m_running.push_back(Running{static_cast<size_t>(index), event.layer, event.timeMs, m_nextStartOrder++});
        break;
    case TimelineCommand::Stop:
        if (running == m_running.end())
        {
            ReportWarning("line " + std::to_string(event.line) + ": stop of " + slot.name + ", which is not running");
            break;
        }
        CallEffect(slot, "End", [](CEffect* effect) { effect->End(); });
        m_running.erase(running);
        break;
    case TimelineCommand::Int:
    {
        // Effects take a writable name; give each call its own copy.
        std::vector<char> name(event.name.begin(), event.name.end());
        name.push_back('\0');
        CallEffect(slot, "ReceiveInt", [&](CEffect* effect) { effect->ReceiveInt(name.data(), event.value, 0); });
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
        const long elapsed = static_cast<long>(demoTimeMs - running.startTimeMs);
        CallEffect(m_slots[running.slot], "RenderFrame", [elapsed](CEffect* effect) { effect->RenderFrame(elapsed); });
    }
}

void Scheduler::StopAll()
{
    for (const Running& running : RunningInDrawOrder())
    {
        CallEffect(m_slots[running.slot], "End", [](CEffect* effect) { effect->End(); });
    }
    m_running.clear();
}
