#include "platform/BackendChoice.h"

#if defined(__EMSCRIPTEN__)
#include "platform/web/WebBackend.h"
#elif defined(_WIN32)
#include "platform/win32/Win32Backend.h"
#else
#include "platform/egl/EglBackend.h"
#include "platform/sdl/SdlBackend.h"
#endif

namespace {

struct PlatformBackends
{
    std::unique_ptr<Backend> (*window)();
    std::unique_ptr<Backend> (*headless)();
    bool (*windowAvailable)();
};

// The one line a platform adds.
#if defined(__EMSCRIPTEN__)
const PlatformBackends kPlatform = {CreateWebWindowBackend, CreateWebHeadlessBackend, WebWindowAvailable};
#elif defined(_WIN32)
const PlatformBackends kPlatform = {CreateWin32WindowBackend, CreateWin32HeadlessBackend, Win32WindowAvailable};
#else
const PlatformBackends kPlatform = {CreateSdlBackend, CreateEglBackend, SdlDisplayAvailable};
#endif

BackendFactory& Factory()
{
    static BackendFactory factory;
    return factory;
}

} // namespace

std::unique_ptr<Backend> CreatePlatformBackend(BackendRole role)
{
    return role == BackendRole::Window ? kPlatform.window() : kPlatform.headless();
}

std::unique_ptr<Backend> CreateBackend(BackendRole role)
{
    return Factory() ? Factory()(role) : CreatePlatformBackend(role);
}

// With a test factory set, the factory decides what a window is.
bool WindowAvailable() { return Factory() ? true : kPlatform.windowAvailable(); }

void SetBackendFactory(BackendFactory factory) { Factory() = std::move(factory); }
