// MessageBoxA on Windows (Win32Shim.h routes the demo's calls here): the line on standard error
// as on every platform, then the real box through the window backend, which shows it only when
// a person answered the start-up dialog; a headless run, a capture or a run without the dialog
// never waits on a box nobody can press.
#include "Win32Shim.h"

#include "platform/DemoMessage.h"

int WINAPI DemoMessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) { return ShowDemoMessage(text, caption); }
