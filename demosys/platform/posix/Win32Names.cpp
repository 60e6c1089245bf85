// The Win32 names the demo's code is written with, on platforms that lack them (Windows has the
// real ones). MessageBoxA reports the text on standard error, and shows it to the person at the
// window where the backend does that; it never blocks a headless run.
#include "Win32Shim.h"

#include "platform/Backend.h"
#include "platform/CurrentContext.h"
#include "platform/DemoMessage.h"

int MessageBoxA(HWND, const char* text, const char* caption, unsigned int) { return ShowDemoMessage(text, caption); }

HWND GetFocus() { return CurrentBackend() != nullptr ? CurrentBackend()->Window() : nullptr; }

PROC wglGetProcAddress(const char* name)
{
    if (CurrentBackend() == nullptr || name == nullptr)
        return nullptr;
    return CurrentBackend()->GetProcAddress(name);
}
