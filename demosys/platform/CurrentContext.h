// The backend whose GL context is current: the run's while a show is open, or a test's own
// headless context. The library's GL-facing functions (textures, extension checks,
// wglGetProcAddress, GetFocus, the GL error audit) ask it; null when there is none.
#pragma once

class Backend;

Backend* CurrentBackend();
void SetCurrentBackend(Backend* backend);

// True when a current backend draws with GL.
bool CurrentContextHasGl();
