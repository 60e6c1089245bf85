// The Win32 names the demo's code is written with, on platforms that lack them (Windows has the
// real ones). MessageBoxA reports the text on standard error, and shows it to the person at the
// window where the backend does that; it never blocks a headless run.
#include "Win32Shim.h"

#include <string>

#include "platform/Backend.h"
#include "platform/CurrentContext.h"
#include "support/Report.h"

int MessageBoxA(HWND, const char* text, const char* caption, unsigned int)
{
    const std::string message = text != nullptr ? text : "";
    const std::string title = caption != nullptr ? caption : "";
    ReportMessageBox(message, title);
    Backend* backend = CurrentBackend();
    if (backend != nullptr && backend->IsInteractive())
        backend->ShowMessage(message, title);
    return IDOK;
}

HWND GetFocus() { return CurrentBackend() != nullptr ? CurrentBackend()->Window() : nullptr; }

PROC wglGetProcAddress(const char* name)
{
    if (CurrentBackend() == nullptr || name == nullptr)
        return nullptr;
    return CurrentBackend()->GetProcAddress(name);
}
