#include "ScriptedBackend.h"

#include "platform/null/NullBackend.h"

ScriptedBackend::ScriptedBackend(std::unique_ptr<Backend> inner, ScriptedEvents events)
    : m_inner(std::move(inner)), m_events(std::move(events))
{
}

BackendEvents ScriptedBackend::PollEvents()
{
    BackendEvents events = m_inner->PollEvents();
    if (m_events)
        events.Merge(m_events(m_polls));
    ++m_polls;
    return events;
}

ScopedBackends::ScopedBackends(Kind kind, ScriptedEvents events)
{
    SetBackendFactory([kind, events](BackendRole) -> std::unique_ptr<Backend> {
        std::unique_ptr<Backend> inner =
            kind == Kind::Null ? CreateNullBackend() : CreatePlatformBackend(BackendRole::Headless);
        if (!events)
            return inner;
        return std::make_unique<ScriptedBackend>(std::move(inner), events);
    });
}

ScopedBackends::~ScopedBackends() { SetBackendFactory(nullptr); }
