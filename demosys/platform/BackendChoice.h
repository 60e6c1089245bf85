// Which backend a run opens. Each platform names its window backend, its headless backend and
// how to tell whether a window can open, in one line of BackendChoice.cpp; tests replace the
// choice with a factory of their own (a scripted backend, the null backend).
#pragma once

#include <functional>
#include <memory>

#include "platform/Backend.h"

enum class BackendRole
{
    Window,     // a window a person looks at
    Headless,   // GL without a window (captures, timing runs, no display)
};

// The backend for the role: the test factory's when one is set, otherwise the platform's.
std::unique_ptr<Backend> CreateBackend(BackendRole role);

// The platform's own backend for the role, whatever factory is set.
std::unique_ptr<Backend> CreatePlatformBackend(BackendRole role);

// True when the platform could open a window now (a display is there); always true while a
// test factory is set, which then decides.
bool WindowAvailable();

// Replaces the platform's choice (null restores it). The factory may return null for a role
// it does not serve, which reads as "that backend cannot open".
using BackendFactory = std::function<std::unique_ptr<Backend>(BackendRole role)>;
void SetBackendFactory(BackendFactory factory);
