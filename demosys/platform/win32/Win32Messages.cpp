// MessageBoxA on Windows: every message goes to standard error as on Linux; a real box follows
// only in a window run that a person sees and that may ask questions (no --no-dialog), so a
// headless run, a capture or a scripted check never waits on a box nobody can press.
#include "api/Library.h"

int WINAPI DemoMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    const int result = ReportMessage(text, caption);
    const Backend* backend = Library().backend;
    if (backend == nullptr || !backend->IsInteractive() || Library().options.noDialog)
        return result;
#undef MessageBoxA
    return MessageBoxA(owner, text, caption, type);
}
