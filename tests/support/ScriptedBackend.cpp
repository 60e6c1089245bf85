#include "ScriptedBackend.h"

#include "platform/null/NullBackend.h"

ScriptedBackend::ScriptedBackend(std::unique_ptr<Backend> inner, ScriptedEvents events, ShowPlayingListener listener)
    : m_inner(std::move(inner)), m_events(std::move(events)), m_listener(std::move(listener))
{
}

void ScriptedBackend::SetShowPlaying(bool playing)
{
    m_inner->SetShowPlaying(playing);
    if (m_listener)
        m_listener(playing);
}

BackendEvents ScriptedBackend::PollEvents()
{
    BackendEvents events = m_inner->PollEvents();
    if (m_events)
        events.Merge(m_events(m_polls));
    ++m_polls;
    return events;
}

ScopedBackends::ScopedBackends(Kind kind, ScriptedEvents events, ShowPlayingListener listener)
{
    SetBackendFactory([kind, events, listener](BackendRole) -> std::unique_ptr<Backend> {
        std::unique_ptr<Backend> inner =
            kind == Kind::Null ? CreateNullBackend() : CreatePlatformBackend(BackendRole::Headless);
        if (!events && !listener)
            return inner;
        return std::make_unique<ScriptedBackend>(std::move(inner), events, listener);
    });
}

ScopedBackends::~ScopedBackends() { SetBackendFactory(nullptr); }
