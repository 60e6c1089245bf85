// Backends a test puts under DEMOGL_AppRun in place of the platform's (SetBackendFactory), for
// as long as a ScopedBackends lives:
//   Kind::Null       no GL at all; the timeline and the effects' calls run
//   Kind::Headless   the platform's headless GL
// optionally with window events the test scripts frame by frame (the show polls once a frame,
// so poll k is frame k), and a listener that hears when the show starts and stops playing.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/Backend.h"
#include "platform/BackendChoice.h"

// What the window "reports" at frame k.
using ScriptedEvents = std::function<BackendEvents(int64_t frame)>;

// Called with what the show tells the window through SetShowPlaying.
using ShowPlayingListener = std::function<void(bool playing)>;

// A backend that passes everything to `inner` and adds the scripted events to its own.
class ScriptedBackend : public Backend
{
public:
    ScriptedBackend(std::unique_ptr<Backend> inner, ScriptedEvents events, ShowPlayingListener listener = {});

    bool Open(const BackendConfig& config, std::string* error) override { return m_inner->Open(config, error); }
    bool HasGl() const override { return m_inner->HasGl(); }
    bool IsInteractive() const override { return m_inner->IsInteractive(); }
    PROC GetProcAddress(const char* name) override { return m_inner->GetProcAddress(name); }
    BackendEvents PollEvents() override;
    void Present(unsigned int framebuffer, int width, int height) override
    {
        m_inner->Present(framebuffer, width, height);
    }
    HWND Window() const override { return m_inner->Window(); }
    void SetShowPlaying(bool playing) override;
    void Close() override { m_inner->Close(); }

private:
    std::unique_ptr<Backend> m_inner;
    ScriptedEvents m_events;
    ShowPlayingListener m_listener;
    int64_t m_polls = 0;
};

class ScopedBackends
{
public:
    enum class Kind
    {
        Null,
        Headless,
    };

    explicit ScopedBackends(Kind kind, ScriptedEvents events = {}, ShowPlayingListener listener = {});
    ~ScopedBackends();
    ScopedBackends(const ScopedBackends&) = delete;
    ScopedBackends& operator=(const ScopedBackends&) = delete;
};
