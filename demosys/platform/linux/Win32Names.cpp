// The Win32 names the demo's own code uses, on Linux: a message goes to standard error (never a
// box that could block a run), the focus is the backend's window, GL entry points come from the
// backend's loader.
#include "api/Library.h"

int MessageBoxA(HWND, const char* text, const char* caption, unsigned int) { return ReportMessage(text, caption); }

HWND GetFocus() { return Library().backend != nullptr ? Library().backend->Window() : nullptr; }

PROC wglGetProcAddress(const char* name)
{
    if (Library().backend == nullptr || name == nullptr)
        return nullptr;
    return Library().backend->GetProcAddress(name);
}
